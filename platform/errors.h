// Failures of the platform layer arrive as exceptions carrying a cp1250 message.
#pragma once
#include <stdexcept>
#include <string>

namespace plat {

class Exception : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
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
