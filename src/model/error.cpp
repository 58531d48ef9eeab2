#include <travimo/model/error.h>

#include <utility>

namespace travimo {

std::string StandardDescription(int32_t number) {
  switch (number) {
    case ErrorNumber::InvalidArgument: return "Invalid procedure call or argument";
    case ErrorNumber::Overflow: return "Overflow";
    case ErrorNumber::SubscriptOutOfRange: return "Subscript out of range";
    case ErrorNumber::TypeMismatch: return "Type mismatch";
    case ErrorNumber::DiskFull: return "Disk full";
    case ErrorNumber::PathFileAccess: return "Path/File access error";
    case ErrorNumber::ObjectNotSet: return "Object variable or With block variable not set";
    case ErrorNumber::InvalidPropertyValue: return "Invalid property value";
    case ErrorNumber::SetNotAtRunTime: return "Property cannot be set at run time";
    case ErrorNumber::SetNotSupported: return "Property is read-only";
    case ErrorNumber::SetNotPermitted: return "Property cannot be set";
    case ErrorNumber::GetNotAtRunTime: return "Property cannot be read at run time";
    case ErrorNumber::DuplicateKey:
      return "This key is already associated with an element of this collection";
    default: return "Application-defined or object-defined error";
  }
}

RuntimeError::RuntimeError(int32_t number)
    : RuntimeError(number, "Travimo", StandardDescription(number)) {}

RuntimeError::RuntimeError(int32_t number, std::string source, std::string description)
    : number_(number), source_(std::move(source)), description_(std::move(description)) {
  what_ = "error " + std::to_string(number_) + " (" + source_ + "): " + description_;
}

}  // namespace travimo
