#pragma once

#include "core/common/fileops.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

namespace norva {

// How the bytes of a text file are written. Bytes: as they are (the reader
// of the lines decides between CP932 and UTF-8); UTF-16 little- or
// big-endian, whose lines are read as UTF-8.
enum class TextEncoding : quint8 { Bytes, Utf16LE, Utf16BE };

struct TextForm
{
    TextEncoding encoding = TextEncoding::Bytes;
    // The byte-order mark in front of the first line (0, 2 or 3 bytes).
    qint8 markLength = 0;
    // A UTF-8 byte-order mark.
    bool utf8Mark = false;

    bool isUtf16() const { return encoding != TextEncoding::Bytes; }
    friend bool operator==(const TextForm &, const TextForm &) = default;
};

// The first bytes that decide the form of a text.
constexpr qsizetype FormWindow = qsizetype(64) << 10;

// The form of a text whose first bytes (up to FormWindow) are head: a
// byte-order mark decides; without one, UTF-16 is told by its ASCII
// characters, each beside a zero byte, always on the same side; else the
// bytes are taken as they are. Raises UnknownForm for a head full of ASCII
// characters beside zero bytes on both sides (UTF-16 that lost a byte).
TextForm decideTextForm(QByteArrayView head);

// A hash of some bytes, to tell whether they are still the same.
quint64 hashBytes(QByteArrayView bytes);

// What tells that a file still holds the bytes read up to some end: hashes of
// its first and its last 4 KiB before that end.
struct EndMarks
{
    quint64 head = 0;
    quint64 tail = 0;
    friend bool operator==(const EndMarks &, const EndMarks &) = default;
};

// A text file opened once for reading, or the bytes of one in memory (tests,
// fuzzing), read at any offset. Its form is decided once, on first asking.
class TextInput
{
public:
    // Opens the file at path read-only. Raises FileNotFound, ReadDenied or
    // FileAccess (a folder, a pipe, a device, an empty name).
    explicit TextInput(const QString &path);
    explicit TextInput(QByteArray bytes);
    ~TextInput();
    TextInput(const TextInput &) = delete;
    TextInput &operator=(const TextInput &) = delete;

    // The file ({0, 0} for bytes in memory), and its size when opened.
    fileops::FileId fileId() const { return m_id; }
    qint64 size() const { return m_size; }

    // Up to n bytes from offset on into buf; 0 at the end. Raises IoError, and
    // Cancelled once cancel is set.
    qint64 read(qint64 offset, char *buf, qint64 n, const CancelFlag *cancel = nullptr);
    // The bytes [from, to), fewer at the end. Raises as read does.
    QByteArray bytes(qint64 from, qint64 to, const CancelFlag *cancel = nullptr);
    // The marks of the bytes [0, end). Raises as read does.
    EndMarks endMarks(qint64 end, const CancelFlag *cancel = nullptr);

    // The form (decideTextForm), and how many first bytes decided it (fewer
    // than FormWindow for a shorter file). Raises as decideTextForm and read.
    const TextForm &form(const CancelFlag *cancel = nullptr);
    qsizetype formDecidedBy() const { return m_formBytes; }

    // The lines in the text's form, from offset on: a byte scan unless the
    // text is UTF-16. Raises as read and form do.
    qint64 countLines(const CancelFlag *cancel = nullptr);
    qint64 countLines(const TextForm &form, qint64 offset, const CancelFlag *cancel = nullptr);

private:
    std::unique_ptr<fileops::InputFile> m_file;
    QByteArray m_memory;
    fileops::FileId m_id;
    qint64 m_size = 0;
    std::optional<TextForm> m_form;
    qsizetype m_formBytes = 0;
};

// The lines of a text from some offset on, read in blocks. A line ends at
// CR LF, LF or a lone CR; the last line needs no line end. Lines of UTF-16 come
// as UTF-8. Each line is a view, valid until the next call, and the 64 bytes
// after its end may be read (whatever they hold), for searches that look at
// many bytes at once. Memory grows only with the longest line, never with the
// file, and a line may be at most maxLineLength bytes long: a file with no
// line end in gigabytes (a disk image, a file of zeros) is refused instead of
// filling the memory.
class TextLines
{
public:
    static constexpr qsizetype DefaultBlockSize = qsizetype(1) << 20;
    static constexpr qsizetype DefaultMaxLineLength = qsizetype(64) << 20;

    TextLines(TextInput &input, const TextForm &form, qint64 offset,
              const CancelFlag *cancel = nullptr, qsizetype blockSize = DefaultBlockSize,
              qsizetype maxLineLength = DefaultMaxLineLength);
    ~TextLines();
    TextLines(const TextLines &) = delete;
    TextLines &operator=(const TextLines &) = delete;

    // The next line without its line end; false when none is left. Raises as
    // the input's read does, LineTooLong for a longer line, and in UTF-16
    // BrokenUtf16 at a line end out of step or a last byte without its pair.
    bool next(QByteArrayView &line)
    {
        // Most lines end within the bytes read, with an LF or a CR that is
        // not the last byte read.
        if (m_nextEnd < m_endCount) {
            const qsizetype e = m_lineEnds[m_nextEnd];
            if (e + 1 < m_end && e - m_pos <= m_maxLine) {
                const char *const b = m_buf.constData();
                const qsizetype after = e + 1 + (b[e] == '\r' && b[e + 1] == '\n');
                ++m_nextEnd;
                line = QByteArrayView(b + m_pos, e - m_pos);
                m_pos = after;
                m_offset = m_bufAt + after;
                m_complete = true;
                return true;
            }
        }
        return nextSlowly(line);
    }
    // Whether the line given last is final: its line end is there, and no byte
    // added to the file later can make it another line (a CR at the very end
    // may yet be followed by its LF).
    bool complete() const { return m_complete; }
    // Where the text goes on after the line given last and its line end.
    qint64 offset() const { return m_offset; }

private:
    bool nextSlowly(QByteArrayView &line);
    bool nextBytes(QByteArrayView &line);
    bool nextUtf16(QByteArrayView &line);
    // Moves what is left to the front of the buffer and reads more after it;
    // false at the end of the text.
    bool fill();
    // Finds the line ends of the bytes read from the first 64 that changed
    // on (unchanged: the bytes before them).
    void findLineEnds(qsizetype unchanged);
    // The first line end at or after m_pos, or m_end.
    qsizetype findLineEnd();

    TextInput &m_input;
    TextForm m_form;
    const CancelFlag *m_cancel;
    qsizetype m_maxLine;
    QByteArray m_buf;    // the bytes read, with room to look past their end
    qint64 m_bufAt = 0;  // the offset of m_buf[0]
    qsizetype m_pos = 0; // the next line starts here
    qsizetype m_end = 0; // the end of the bytes read
    bool m_eof = false;
    qint64 m_offset = 0;
    bool m_complete = true;
    // Where the lines end in the bytes read (CR, or LF without a CR before
    // it), in order: m_endCount of them, the next from m_nextEnd on.
    std::unique_ptr<qint32[]> m_lineEnds;
    qsizetype m_endRoom = 0;
    qsizetype m_endCount = 0;
    qsizetype m_nextEnd = 0;
    // UTF-16: the line turned into UTF-8.
    QByteArray m_line;
};

// The lines of a file of the program's own (settings, table definitions) as
// they are, from its first byte on.
class LineReader
{
public:
    static constexpr qsizetype DefaultMaxLineLength = TextLines::DefaultMaxLineLength;

    // Opens path read-only; raises as TextInput does. A set cancel flag ends
    // the reading with Cancelled.
    explicit LineReader(const QString &path, qsizetype bufferSize = 1 << 20,
                        qsizetype maxLineLength = DefaultMaxLineLength,
                        const CancelFlag *cancel = nullptr);
    // The lines of bytes held in memory.
    explicit LineReader(QByteArray bytes, qsizetype maxLineLength = DefaultMaxLineLength);
    ~LineReader();
    LineReader(const LineReader &) = delete;
    LineReader &operator=(const LineReader &) = delete;

    // The next line without its line end; false at the end of the file.
    // A read failure raises IoError, a line longer than maxLineLength
    // LineTooLong, the cancel flag Cancelled.
    bool next(QByteArrayView &line) { return m_lines.next(line); }

private:
    TextInput m_input;
    TextLines m_lines;
};

// Counts the line ends in [p, end): every CR, and every LF that does not
// follow a CR. afterCr tells whether the byte before p was a CR, and is
// updated.
qint64 countLineEnds(const char *p, const char *end, bool &afterCr);

// Counts the lines of a file as LineReader would hand them out, by a byte
// scan. Raises as LineReader does.
qint64 countLines(const QString &path, const CancelFlag *cancel = nullptr);

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
