// Base of every failure that the user can cause (a bad start parameter, a file that
// cannot be read or written). what() is the Russian message to show as it is.
#pragma once

#include <stdexcept>
#include <string>

class UserError : public std::runtime_error {
  public:
    explicit UserError(const std::string& message) : std::runtime_error(message) {}
};
