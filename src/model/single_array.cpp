#include <travimo/model/single_array.h>

#include <travimo/model/error.h>

namespace travimo {

SingleArray::SingleArray(int32_t lower, int32_t upper) : lower_(lower) {
  if (upper < lower - 1) throw RuntimeError(ErrorNumber::SubscriptOutOfRange);
  values_.assign(static_cast<size_t>(static_cast<int64_t>(upper) - lower + 1), 0.0f);
}

SingleArray::SingleArray(int32_t lower, std::vector<float> values)
    : lower_(lower), values_(std::move(values)) {}

SingleArray::SingleArray(int32_t lower, std::initializer_list<float> values)
    : lower_(lower), values_(values) {}

float SingleArray::At(int32_t index) const {
  if (!Contains(index)) throw RuntimeError(ErrorNumber::SubscriptOutOfRange);
  return values_[static_cast<size_t>(index - lower_)];
}

void SingleArray::Set(int32_t index, float value) {
  if (!Contains(index)) throw RuntimeError(ErrorNumber::SubscriptOutOfRange);
  values_[static_cast<size_t>(index - lower_)] = value;
}

void SingleArray::CutTo(int32_t newUpper) {
  if (newUpper < lower_) throw RuntimeError(ErrorNumber::SubscriptOutOfRange);
  values_.resize(static_cast<size_t>(static_cast<int64_t>(newUpper) - lower_ + 1), 0.0f);
}

}  // namespace travimo
