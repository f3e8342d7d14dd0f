// Shell completion of zanto: the bash completion (completion/zanto.bash), run
// in bash with the bash-completion library against the built zanto, offers
// the commands, each command's options, the values of the common options and
// the names of the shipped profiles; so does the zsh completion
// (completion/_zanto).
#include "processrunner.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QProcess>

#include <algorithm>

using namespace ZantoTest;

namespace {

const QString bashCompletionLibrary = QStringLiteral("/usr/share/bash-completion/bash_completion");

QString sourceFile(const char *path)
{
    return qEnvironmentVariable("ZANTO_SOURCE_DIR") + u'/' + QLatin1String(path);
}

// The lines a shell script prints, run by shell with its arguments, the
// built zanto first on the path.
QStringList scriptOutput(const QString &shell, const QStringList &arguments)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("PATH"),
        builtProgram(QString()) + u':' + environment.value(QStringLiteral("PATH")));
    process.setProcessEnvironment(environment);
    process.start(shell, arguments);
    EXPECT_TRUE(process.waitForStarted()) << "tools/bootstrap installs " << shell.toStdString();
    EXPECT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().constData();
    return QString::fromUtf8(process.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
}

// The words bash offers for the command line words (the last one is the
// word being completed), one a line.
QStringList bashCompletions(const QStringList &words)
{
    // $1: the library, $2: the completion, then the words.
    const QString script = QStringLiteral(R"(
        source "$1"; source "$2"; shift 2
        COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); COMP_LINE="$*"; COMP_POINT=${#COMP_LINE}
        _zanto zanto "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
        printf '%s\n' "${COMPREPLY[@]}"
    )");
    return scriptOutput(QStringLiteral("bash"),
        QStringList {QStringLiteral("-c"), script, QStringLiteral("bash"), bashCompletionLibrary,
            sourceFile("completion/zanto.bash")}
            + words);
}

// zsh's completion system needs a terminal; here its functions that _zanto
// calls are stand-ins that print what they are given, one word a line.
QStringList zshCompletions(const QStringList &words)
{
    // $1: the completion, then the words.
    const QString script = QStringLiteral(R"zsh(
        compadd() { [[ $1 == -- ]] && shift; print -rl -- "$@"; }
        _describe() { local list=$4; print -rl -- "${(P@)list}"; }
        _files() { print -r -- "(files $*)"; }
        _message() { print -r -- "(message $*)"; }
        _call_program() { shift; eval "$@"; }
        source "$1" >/dev/null 2>&1; shift
        words=("$@"); CURRENT=$#; PREFIX=${words[CURRENT]}
        _zanto
    )zsh");
    return scriptOutput(QStringLiteral("zsh"),
        QStringList {QStringLiteral("-f"), QStringLiteral("-c"), script, QStringLiteral("zsh"),
            sourceFile("completion/_zanto")}
            + words);
}

struct Case
{
    QStringList words;
    QStringList offered; // all among the completions
    QStringList notOffered;
};

void expectCompletions(
    const QList<Case> &cases, QStringList (*completions)(const QStringList &words))
{
    for (const Case &test : cases) {
        const QStringList offered = completions(test.words);
        for (const QString &word : test.offered)
            EXPECT_TRUE(offered.contains(word))
                << test.words.join(u' ').toStdString() << ": " << word.toStdString()
                << " not among " << offered.join(u' ').toStdString();
        for (const QString &word : test.notOffered)
            EXPECT_FALSE(offered.contains(word))
                << test.words.join(u' ').toStdString() << ": " << word.toStdString();
    }
}

} // namespace

TEST(CliCompletion, BashOffersCommandsOptionsValuesAndProfiles)
{
    ASSERT_TRUE(QFileInfo::exists(bashCompletionLibrary)) << "tools/bootstrap installs it";
    expectCompletions(
        {
            {{"zanto", "pri"}, {"print", "printers"}, {"preview", "dump"}},
            {{"zanto", "--"}, {"--help", "--version"}, {}},
            {{"zanto", "print", "--line-w"}, {"--line-width"}, {"--lines-per-page"}},
            {{"zanto", "print", "--no-"}, {"--no-line-feed"}, {"--line-width"}},
            {{"zanto", "dump", "-"}, {"--help"}, {"--line-width"}},
            {{"zanto", "print", "--printer-type", "e"}, {"epson"}, {"ibm"}},
            {{"zanto", "print", "--wrap-rule", ""}, {"fold", "memo"}, {}},
            {{"zanto", "send", "--t"}, {"--text", "--to", "--timeout"}, {"--wrap-rule"}},
            {{"zanto", "preview", "--paper", "roll"}, {"roll58", "roll80"}, {"a4"}},
            {{"zanto", "print", "--language", "esc"}, {"escpos", "escpos-180dpi", "escp-9pin"},
                {"pcl5"}},
            {{"zanto", "codes", ""}, {"show", "save"}, {}},
            {{"zanto", "help", "che"}, {"check-driver"}, {"codes"}},
            {{"zanto", "print", "-P", "escpos"}, {"escpos-58mm", "escpos-80mm"}, {"star-line"}},
            {{"zanto", "print", "--profile", ""}, {"epson-9pin", "hp-pcl5", "generic-text"}, {}},
            {{"zanto", "profiles", "show", "star"}, {"star-line"}, {"epson-9pin"}},
            {{"zanto", "profiles", ""}, {"show", "save", "delete"}, {}},
            {{"zanto", "profiles", "save", "p", "--from", "escpos"}, {"escpos-80mm"},
                {"star-line"}},
            {{"zanto", "profiles", "save", "p", "--"}, {"--from", "--merge", "--line-width"}, {}},
            {{"zanto", "profiles", "show", "p", "--"}, {}, {"--line-width"}},
        },
        bashCompletions);
}

TEST(CliCompletion, ZshOffersCommandsOptionsValuesAndProfiles)
{
    expectCompletions(
        {
            {{"zanto", "pri"}, {"--help", "--version"}, {}},
            {{"zanto", "print", "--line"}, {"--line-width", "--lines-per-page"}, {"print"}},
            {{"zanto", "preview", "--background", ""}, {"tractor", "greenbar"}, {}},
            {{"zanto", "print", "--wrap-rule", ""}, {"fold", "memo"}, {}},
            {{"zanto", "print", "--codes", ""}, {"(files -g *.(PCC|pcc))"}, {}},
            {{"zanto", "translation", ""}, {"show", "save"}, {}},
            {{"zanto", "status", "--language", ""}, {"star-line", "pcl5", "plain-newline"}, {}},
            {{"zanto", "print", "-P", ""}, {"escpos-80mm", "star-line"}, {}},
            {{"zanto", "profiles", ""}, {"show", "save", "delete"}, {}},
            {{"zanto", "profiles", "save", "p", "--from", ""}, {"escpos-80mm", "star-line"}, {}},
            {{"zanto", "profiles", "save", "p", "--m"}, {"--merge", "--max-sheets"}, {}},
        },
        zshCompletions);
    // The commands come with their descriptions, "print:print a text ...".
    const QStringList commands = zshCompletions({QStringLiteral("zanto"), QString()});
    for (const char *command : {"print:", "preview:", "dump:", "check-driver:"}) {
        EXPECT_TRUE(std::any_of(commands.begin(), commands.end(),
            [command](const QString &line) { return line.startsWith(QLatin1String(command)); }))
            << command << " not among " << commands.join(u' ').toStdString();
    }
}
