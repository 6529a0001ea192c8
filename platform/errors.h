// Failures of the platform layer arrive as exceptions carrying a cp1250 message.
#pragma once
#include <exception>
#include <string>

namespace plat {

// Holds its message itself: std::runtime_error would link a second string
// implementation into the program.
class Exception : public std::exception {
 public:
  explicit Exception(std::string message) : message_(std::move(message)) {}
  const char* what() const noexcept override { return message_.c_str(); }

 private:
  std::string message_;
};

class ERegistryException : public Exception {
 public:
  using Exception::Exception;
};

class EResNotFound : public Exception {
 public:
  using Exception::Exception;
};

class EStreamError : public Exception {
 public:
  using Exception::Exception;
};

class EFCreateError : public EStreamError {
 public:
  using EStreamError::EStreamError;
};

class EWriteError : public EStreamError {
 public:
  using EStreamError::EStreamError;
};

}  // namespace plat
