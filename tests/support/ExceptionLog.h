// Collects what reaches Application.HandleException during a test, instead of a message box.
#pragma once

#include "Forms.h"

#include <string>
#include <vector>

class ExceptionLog {
public:
    ExceptionLog() : previous_(Application.OnException)
    {
        Application.OnException = [this](const std::exception& error) { messages.push_back(error.what()); };
    }
    ~ExceptionLog() { Application.OnException = previous_; }
    ExceptionLog(const ExceptionLog&) = delete;
    ExceptionLog& operator=(const ExceptionLog&) = delete;

    std::vector<std::string> messages;

private:
    std::function<void(const std::exception&)> previous_;
};
