#pragma once
// The RuntimeError an action raised, for tests of refusals.
#include <gtest/gtest.h>

#include <travimo/model/error.h>

namespace travimo::testing {

// The error f raised; a test failure, and error 0, when it raised none.
template <class F>
RuntimeError CaughtError(F&& f) {
  try {
    f();
  } catch (const RuntimeError& error) {
    return error;
  }
  ADD_FAILURE() << "no RuntimeError";
  return RuntimeError(0);
}

// The number of the RuntimeError f raised, or 0.
template <class F>
int32_t ErrorOf(F&& f) {
  try {
    f();
  } catch (const RuntimeError& error) {
    return error.Number();
  }
  return 0;
}

}  // namespace travimo::testing
