// Base of every failure that the user can cause or must be told of (a bad start parameter,
// a file that cannot be read or written, a halted step). Each kind is a type with its
// facts; the words for the user are composed by the programs, in app/Messages.cpp.
#pragma once

#include <functional>
#include <stdexcept>
#include <string>

class UserError : public std::runtime_error {
  public:
    /// diagnostic: a short English description for developers, never shown to the user.
    explicit UserError(const std::string& diagnostic) : std::runtime_error(diagnostic) {}
};

/// Tells the user of a failure; given to the windows by whoever puts the program together.
using FailureReport = std::function<void(const UserError& failure)>;
