#pragma once

#include <QString>
#include <source_location>
#include <stdexcept>

// The exceptions of the process runner. Each derives straight from the
// standard runtime error and carries its message in UTF-8.

// Misuse of the component: "ProcessRunner still running", ...
class EProcessRunner : public std::runtime_error
{
public:
    explicit EProcessRunner(const QString &AMessage)
        : std::runtime_error(AMessage.toStdString())
    {}
};

// The one-second tick could not be started or stopped.
class EProcessTimer : public std::runtime_error
{
public:
    explicit EProcessTimer(const QString &AMessage)
        : std::runtime_error(AMessage.toStdString())
    {}
};

// "Error creating Pipe: %s"
class ECreatePipeError : public std::runtime_error
{
public:
    explicit ECreatePipeError(const QString &AMessage)
        : std::runtime_error(AMessage.toStdString())
    {}
};

// "Error creating Process: %s - (%s)"
class ECreateProcessError : public std::runtime_error
{
public:
    explicit ECreateProcessError(const QString &AMessage)
        : std::runtime_error(AMessage.toStdString())
    {}
};

// A condition that must hold did not: "Assertion failure (file, line n)".
class EAssertionFailed : public std::runtime_error
{
public:
    explicit EAssertionFailed(std::source_location AWhere = std::source_location::current());
};

// The class name of an exception as the error box shows it, e.g. "ECreateProcessError".
QString ExceptionClassName(const std::exception &AE);

// The message of an exception as text.
QString ExceptionMessage(const std::exception &AE);
