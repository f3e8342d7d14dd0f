#include "processrunner.h"

#include <QProcess>

#include <stdexcept>

namespace ZantoTest {

QString builtProgram(const QString &name)
{
    const QString dir = qEnvironmentVariable("ZANTO_BIN_DIR");
    if (dir.isEmpty())
        throw std::runtime_error("ZANTO_BIN_DIR is not set; run the tests through ctest");
    return dir + u'/' + name;
}

ProcessResult runZanto(const QStringList &arguments, const QByteArray &input,
    const QProcessEnvironment &environment, const QString &workingDirectory)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(workingDirectory);
    process.start(builtProgram(QStringLiteral("zanto")), arguments);
    if (!process.waitForStarted())
        throw std::runtime_error("cannot start zanto");
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(120000))
        throw std::runtime_error("zanto did not finish");
    ProcessResult result;
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

} // namespace ZantoTest
