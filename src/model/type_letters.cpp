#include <travimo/model/type_letters.h>

#include <travimo/model/error.h>

namespace travimo {

void TypeLetterList::Reset(int32_t lower) {
  lower_ = lower;
  letters_.assign(1, std::string());
}

void TypeLetterList::ExtendTo(int32_t upper) {
  if (upper < lower_) throw RuntimeError(ErrorNumber::SubscriptOutOfRange);
  letters_.resize(static_cast<size_t>(static_cast<int64_t>(upper) - lower_ + 1));
}

void TypeLetterList::Set(int32_t index, std::string letter) {
  if (index < lower_ || index > UpperBound()) throw RuntimeError(ErrorNumber::SubscriptOutOfRange);
  letters_[static_cast<size_t>(index - lower_)] = std::move(letter);
}

std::optional<std::string> TypeLetterList::At(int32_t index) const {
  if (index < lower_ || index > UpperBound()) return std::nullopt;
  return letters_[static_cast<size_t>(index - lower_)];
}

}  // namespace travimo
