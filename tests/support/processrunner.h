#pragma once

#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace ZantoTest {

struct ProcessResult
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// Runs the built zanto command with arguments and input on its standard
// input, in workingDirectory (empty: the test's own), and waits for it.
ProcessResult runZanto(const QStringList &arguments, const QByteArray &input = {},
    const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment(),
    const QString &workingDirectory = {});

// Path of a built program in the build's bin folder.
QString builtProgram(const QString &name);

} // namespace ZantoTest
