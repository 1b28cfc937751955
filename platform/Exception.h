// The class library's exception family: every error the layer raises is an Exception
// carrying the message that the application shows to the user.
#pragma once

#include <exception>
#include <string>

class Exception : public std::exception {
public:
    explicit Exception(std::string message) : message_(std::move(message)) {}
    const std::string& Message() const { return message_; }
    const char* what() const noexcept override { return message_.c_str(); }

private:
    std::string message_;
};

#include <exception>
#include <functional>

// An exception escaping an event handler while the event loop runs is reported here and
// the loop goes on; the application object installs the report it shows to the user.
void HandleEventException(std::exception_ptr error);
void SetEventExceptionHandler(std::function<void(std::exception_ptr)> handler);
