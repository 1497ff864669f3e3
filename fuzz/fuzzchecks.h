#pragma once

#include <QByteArrayView>
#include <QString>

// The checks behind the fuzzing harnesses, shared with the test that replays
// the inputs they once failed on. Each check takes one input, runs it through
// one part of the program and returns what went wrong, or an empty text when
// all is well. Crashes, hangs, leaks and undefined behaviour are left to the
// sanitizers and the fuzzer to catch.
//
// The checks read their inputs from memory; the work folder (setWorkFolder)
// stands in for the program's folder.
namespace norva::fuzz {

void setWorkFolder(const QString &dir);

// The score log pass. The first byte chooses the settings that change the way
// through the pass (comparison path, date filter and range, CheckLine, table
// kinds); the rest is the log. Where both paths run, their results must agree;
// the log converted to UTF-8 must give the record of its CP932 original.
QString checkScorePass(QByteArrayView input);

// The score log pass gone on from cuts: the first byte chooses the settings
// as for checkScorePass (and the block size and comparison path), the next
// two where up to three cuts fall; the rest is the log. The pass over the
// log up to the first cut, gone on at each next cut and at the end, must give
// the record of one pass over the whole log.
QString checkResume(QByteArrayView input);

// The settings file: read, write, read again; the values and the written file
// must be stable.
QString checkSettingsFile(QByteArrayView input);

// The table definitions file, then a fixed log read with those definitions on
// both comparison paths.
QString checkTableFile(QByteArrayView input);

// CP932: decoding arbitrary bytes, encoding arbitrary text, round trips; and
// the same bytes as UTF-8 in the canonical form of the decoded logs.
QString checkCp932(QByteArrayView input);

// The number and date readers and the fixed-decimal formatting.
QString checkNumbers(QByteArrayView input);

// The check of a harness by its name ("scorepass", "resume", "settings",
// "tables", "cp932", "numbers"); null for an unknown name.
using Check = QString (*)(QByteArrayView);
Check checkNamed(const QString &name);

} // namespace norva::fuzz
