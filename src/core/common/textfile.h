#pragma once

#include "core/common/fileops.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace norva {

// How a file's bytes become the bytes of its lines: as they are; as they are
// after a UTF-8 byte-order mark (when the file starts with one); or UTF-16,
// little- or big-endian, after its byte-order mark, turned into UTF-8.
enum class ByteForm { AsIs, AfterUtf8Bom, Utf16LE, Utf16BE };

// The form that the byte-order mark at the start of head announces (AsIs
// where there is none).
ByteForm byteFormOfMark(QByteArrayView head);

// Reads a text file line by line with a fixed-size buffer. A line ends at
// CR LF, LF or a lone CR; the last line needs no line end. Lines are handed out
// as views into the buffer, valid until the next call. Memory grows only with
// the longest line, never with the file, and a line may be at most
// maxLineLength bytes long: a file with no line end in gigabytes (a disk
// image, a file of zeros) is refused instead of filling the memory.
class LineReader
{
public:
    static constexpr qsizetype DefaultMaxLineLength = qsizetype(64) << 20;

    // Opens path read-only. Raises FileNotFound, ReadDenied or FileAccess (a
    // directory, a device) when it cannot be opened. A set cancel flag ends
    // the reading with Cancelled.
    explicit LineReader(const QString &path, qsizetype bufferSize = 1 << 20,
                        qsizetype maxLineLength = DefaultMaxLineLength,
                        const CancelFlag *cancel = nullptr, ByteForm form = ByteForm::AsIs);
    ~LineReader();
    LineReader(const LineReader &) = delete;
    LineReader &operator=(const LineReader &) = delete;

    // The next line without its line end; false at the end of the file.
    // A read failure raises IoError, a line longer than maxLineLength
    // LineTooLong, the cancel flag Cancelled.
    bool next(QByteArrayView &line);

private:
    bool fill();
    // Reads more of the file into m_buf from m_end on, in the file's form.
    qint64 readMore(qint64 room);
    // Room for the longest line and its CR LF.
    qsizetype bufferLimit() const { return m_maxLine + 2; }

    fileops::InputFile m_file;
    QByteArray m_buf;
    qsizetype m_maxLine;
    const CancelFlag *m_cancel;
    ByteForm m_form;
    qsizetype m_pos = 0;
    qsizetype m_end = 0;
    bool m_eof = false;
    bool m_atStart = true;
    // UTF-16: converted bytes not yet in the buffer, and the converter.
    struct Utf16;
    std::unique_ptr<Utf16> m_utf16;
};

// Counts the lines of a file as LineReader would hand them out (a byte scan
// unless the file is UTF-16). Raises as LineReader does.
qint64 countLines(const QString &path, const CancelFlag *cancel = nullptr,
                  ByteForm form = ByteForm::AsIs);

// Reads a whole CP932 text file into lines (for the small files the program
// owns). Raises as LineReader does.
QStringList readTextLines(const QString &path);

// What a writer does when a step fails: true retries the step, false gives up.
// The argument is the error that made the step fail.
using RetryPrompt = std::function<bool(const class Error &)>;

// Writes data to path as a whole (fileops::writeWhole): a failed or abandoned
// write leaves the old file as it was, and a pipe, a folder or one of the files
// of protect is never replaced. On a failure, prompt decides between another
// try and giving up (no prompt gives up). Returns true when the file was
// written.
bool writeFileSafely(const QString &path, const QByteArray &data, const RetryPrompt &prompt,
                     const QStringList &protect = {});

// Test hook: makes the next writes fail as if the disk were full.
void setWriteFailureForTests(std::function<bool()> failNow);

} // namespace norva
