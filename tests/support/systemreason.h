// The operating system's reasons for failures, in the language the program
// under test speaks: tests compare messages through these, never through
// English words, so that they pass under any locale.
#pragma once

#include <QString>

#include <string>

namespace ZantoTest {

// strerror's text for the error number under this process's current locale:
// what code under test running in this process says.
QString osReason(int errorNumber);
std::string osReasonText(int errorNumber);

// The text for the error number as a program started with this process's
// environment says it: Qt programs take their locale from the environment.
QString childOsReason(int errorNumber);

// The C library's own translation of one of its messages (for example the
// dynamic loader's "cannot open shared object file") under the current
// locale.
QString libcMessage(const char *message);

} // namespace ZantoTest
