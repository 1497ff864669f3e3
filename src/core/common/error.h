#pragma once

#include <QString>

#include <exception>

namespace norva {

// The kinds of failure the program reports. Each has its own short Japanese
// description, which is what the user sees in the "計算エラー" box and the like.
enum class ErrorKind {
    Overflow,
    SubscriptOutOfRange,
    TypeMismatch,
    DivisionByZero,
    InvalidArgument,
    FileNotFound,
    PermissionDenied,
    FileAccess,
    DiskFull,
    IoError,
    LineTooLong,
    ReadDenied,     // a file that exists but may not be read
    NotRegularFile, // a write aimed at a named pipe, a socket, a folder
    ProtectedFile,  // a write aimed at the score log or a file of the program
    Cancelled,      // a long run told to stop (an exit signal)
    BrokenUtf16,    // a UTF-16 text with a byte missing: what follows is out of step
    UnknownForm,    // a text whose encoding cannot be told
};

QString describe(ErrorKind kind);

// The one exception type of the program. Core code throws it; the window that
// handles the failure words it through description().
class Error : public std::exception
{
public:
    explicit Error(ErrorKind kind, QString detail = {});

    ErrorKind kind() const noexcept { return m_kind; }
    // The description the user sees: the kind's text, then the detail (a path,
    // a line number) on its own line when one was given.
    QString description() const;
    QString detail() const { return m_detail; }
    const char *what() const noexcept override;

private:
    ErrorKind m_kind;
    QString m_detail;
    QByteArray m_what;
};

[[noreturn]] void raise(ErrorKind kind, const QString &detail = {});

} // namespace norva
