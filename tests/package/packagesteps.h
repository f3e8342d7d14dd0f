// Running the steps of the installation and package tests: a program with
// its arguments, its output and exit status kept.
#pragma once

#include <gtest/gtest.h>

#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

namespace ZantoTest {

struct StepResult
{
    int exitCode = -1;
    QByteArray output; // standard output and error together
};

inline StepResult run(const QString &program, const QStringList &arguments,
    const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(-1))
        return {-1, process.errorString().toUtf8()};
    return {
        process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, process.readAll()};
}

// The libraries the dynamic linker loads for program, as ldd lists them.
inline QByteArray loadedLibraries(const QString &program,
    const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment())
{
    const StepResult step = run(QStringLiteral("ldd"), {program}, environment);
    EXPECT_EQ(step.exitCode, 0) << step.output.toStdString();
    return step.output;
}

// The files of the command-line tools and the demonstration program below
// an installation prefix: programs, manual pages (compressed), completion,
// desktop entry, the shipped profiles (ZANTO_PROFILE_NAMES, comma-separated)
// and their printer codes files (ZANTO_PROFILE_CODES).
inline QStringList toolFiles()
{
    QStringList files {QStringLiteral("bin/zanto"), QStringLiteral("bin/zantopreview"),
        QStringLiteral("bin/zantodemo"), QStringLiteral("share/man/man1/zanto.1.gz"),
        QStringLiteral("share/man/man5/zanto.conf.5.gz"),
        QStringLiteral("share/bash-completion/completions/zanto"),
        QStringLiteral("share/zsh/vendor-completions/_zanto"),
        QStringLiteral("share/applications/zantodemo.desktop"),
        QStringLiteral("share/icons/hicolor/scalable/apps/zantodemo.svg")};
    for (const QString &name : QStringLiteral(ZANTO_PROFILE_NAMES).split(u','))
        files.append(QStringLiteral("share/zantoquiller/profiles/%1.conf").arg(name));
    for (const QString &name : QStringLiteral(ZANTO_PROFILE_CODES).split(u','))
        files.append(QStringLiteral("share/zantoquiller/profiles/%1.PCC").arg(name));
    return files;
}

} // namespace ZantoTest
