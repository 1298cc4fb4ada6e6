// What every command-line tool of the project does alike: errors on
// standard error behind the command's name, UTF-8 output, --help and
// --version.
#pragma once

#include <QByteArray>
#include <QString>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>


namespace cli {

inline void out(const QString& text) { std::fputs(text.toUtf8().constData(), stdout); }

// UTF-8's byte-order mark: a spreadsheet opening a CSV file reads it as
// UTF-8 only with it (else as the desktop's code page, Thai as garbage).
inline const QByteArray kUtf8Mark = QByteArrayLiteral("\xEF\xBB\xBF");

// Whether standard output goes into a file (not a terminal or a pipe): a
// CSV written there is a file a spreadsheet opens, and gets the mark.
inline bool outputIsAFile() {
    struct stat info {};
    return ::fstat(STDOUT_FILENO, &info) == 0 && S_ISREG(info.st_mode);
}

// A CSV on standard output: with the mark when it goes into a file.
inline void outCsv(const QString& csv) {
    if (outputIsAFile()) std::fputs(kUtf8Mark.constData(), stdout);
    out(csv);
}

// "command: message" on standard error, for what the user should know
// while the command goes on (it is waiting, a job printed).
inline void say(const char* command, const QString& message) {
    std::fprintf(stderr, "%s: %s\n", command, message.toUtf8().constData());
}

// The same for a failure; returns `status` for main to return.
inline int fail(const char* command, const QString& message, int status) {
    say(command, message);
    return status;
}

// `word` as a shell reads it back as one word, for a command a message
// suggests: left as it is when every character is safe (letters, Thai
// among them, digits, and _ - . / + : = , @ %), else in single quotes.
inline QString shellWord(const QString& word) {
    const bool plain = !word.isEmpty() && std::all_of(word.cbegin(), word.cend(), [](QChar c) {
        return c.unicode() >= 0x80 ? c.isLetterOrNumber() || c.isMark()
                                   : c.isLetterOrNumber() || QStringLiteral("_-./+:=,@%").contains(c);
    });
    if (plain) return word;
    QString quoted = word;
    quoted.replace(QLatin1Char('\''), QStringLiteral("'\\''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

// Answers --help (the usage on standard output) or --version anywhere on
// the command line, before anything else is set up; the exit status, or -1
// when neither was asked.
// A command's usage in English and in Thai.
struct Usage {
    const char* english;
    const char* thai;
};

// Whether the user reads Thai: the locale's language, as the C library
// chooses it (LC_ALL, then LC_MESSAGES, then LANG).
inline bool thaiLocale() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value && *value) return std::strncmp(value, "th", 2) == 0;
    }
    return false;
}

inline const char* usageText(const Usage& usage) {
    return thaiLocale() ? usage.thai : usage.english;
}

inline int helpOrVersion(int argc, char** argv, const char* command, const Usage& usage) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0) {
            std::fputs(usageText(usage), stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("%s %s\n", command, TARVON_VERSION);
            return 0;
        }
    }
    return -1;
}

// A session without XDG_RUNTIME_DIR (a cron job, ssh, a container) gets the
// private folder Qt would fall back to, made here so that Qt has nothing
// to warn about on every run. Left alone when the variable is set or when
// the folder exists but is not the user's own, private one.
inline void settleRuntimeFolder() {
    if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) return;
    const QByteArray folder = "/tmp/runtime-" + QByteArray::number(::getuid());
    ::mkdir(folder.constData(), 0700);
    struct stat info {};
    if (::lstat(folder.constData(), &info) == 0 && S_ISDIR(info.st_mode) &&
        info.st_uid == ::getuid() && (info.st_mode & 0777) == 0700)
        qputenv("XDG_RUNTIME_DIR", folder);
}

}  // namespace cli
