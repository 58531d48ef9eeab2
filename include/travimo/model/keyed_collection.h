#pragma once
// The keyed collection every ...ColCls follows: an ordered list of shared
// members, positions 1..Count, each with an optional unique key. What Add
// copies depends on the member class and is supplied by CopyForCollection.
#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include <travimo/model/error.h>

namespace travimo {

// A 1-based position or a key.
using IndexKey = std::variant<int32_t, std::string>;

template <class T>
class KeyedCollection {
 public:
  using Member = std::shared_ptr<T>;

  class Enumerator {
   public:
    explicit Enumerator(std::vector<Member> members) : members_(std::move(members)) {}
    // Null after the last member.
    Member Next() { return next_ < members_.size() ? members_[next_++] : nullptr; }
    void Reset() { next_ = 0; }

   private:
    std::vector<Member> members_;
    size_t next_ = 0;
  };

  // Stores a fresh member made from o (never o itself) and returns it.
  Member Add(const Member& o, std::string_view sKey = {}) {
    if (!o) throw RuntimeError(ErrorNumber::ObjectNotSet);
    if (!sKey.empty() && FindKey(sKey) != npos) throw RuntimeError(ErrorNumber::DuplicateKey);
    Member made = CopyForCollection(*o);
    members_.push_back(made);
    keys_.emplace_back(sKey);
    return made;
  }

  // Null when the position or key is not there.
  Member Item(const IndexKey& vntIndexKey) const {
    const size_t at = Find(vntIndexKey);
    return at == npos ? nullptr : members_[at];
  }

  int32_t Count() const { return static_cast<int32_t>(members_.size()); }

  void Remove(const IndexKey& vntIndexKey) {
    const size_t at = Find(vntIndexKey);
    if (at == npos) {
      throw RuntimeError(std::holds_alternative<int32_t>(vntIndexKey)
                             ? ErrorNumber::SubscriptOutOfRange
                             : ErrorNumber::InvalidArgument);
    }
    members_.erase(members_.begin() + static_cast<std::ptrdiff_t>(at));
    keys_.erase(keys_.begin() + static_cast<std::ptrdiff_t>(at));
  }

  Enumerator NewEnum() const { return Enumerator(members_); }

  auto begin() const { return members_.begin(); }
  auto end() const { return members_.end(); }

 private:
  static constexpr size_t npos = static_cast<size_t>(-1);

  size_t FindKey(std::string_view key) const {
    const auto it = std::find(keys_.begin(), keys_.end(), key);
    return it == keys_.end() ? npos : static_cast<size_t>(it - keys_.begin());
  }

  size_t Find(const IndexKey& vntIndexKey) const {
    if (const auto* position = std::get_if<int32_t>(&vntIndexKey)) {
      return *position >= 1 && *position <= Count() ? static_cast<size_t>(*position - 1) : npos;
    }
    const auto& key = std::get<std::string>(vntIndexKey);
    return key.empty() ? npos : FindKey(key);
  }

  std::vector<Member> members_;
  std::vector<std::string> keys_;  // "" for a member without a key
};

}  // namespace travimo
