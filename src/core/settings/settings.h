#pragma once

#include "core/common/error.h"
#include "core/common/textfile.h"

#include <QString>
#include <QVariant>

#include <optional>

// The settings store: the program's 25 named settings, their defaults and the
// settings file "norva.ini" beside the executable.
namespace norva {

// Sets every default, then reads the settings file over them. False when the
// file could not be opened (the defaults stand). Never raises.
bool LoadParamFile();
// The same with the settings file at path (the command-line program's --ini);
// why receives the failure when the file could not be read to its end.
bool LoadParamFile(const QString &path, std::optional<ErrorKind> *why = nullptr);

// How the settings file was last read: Missing (nothing there to read, or
// something that is never written over), Clean, or Unclean: a file of the
// program's name that could not be read to its end or holds bytes that are
// no text of its form (another encoding, NUL). The first SaveParamFile over an
// unclean file keeps it as paramBackupPath() first.
enum class ParamFileState { Missing, Clean, Unclean };
ParamFileState paramFileState();
QString paramBackupPath();

// Writes the settings file anew from the values in memory. The old file is
// replaced only by a completely written new one (see also paramFileState()).
// On a failure prompt chooses between Retry (true) and Cancel (false); Cancel
// keeps the old file and returns false. Never raises.
bool SaveParamFile(const RetryPrompt &prompt = {});

// The value of the setting named key (exact letter case): QString, bool, qint16
// (QMetaType::Short), qint32 (QMetaType::Int) or QDateTime. An unknown key gives
// an invalid (empty) QVariant.
QVariant GetParamValue(const QString &key);

// Stores value into the setting named key, converted to its type (fractions
// rounded halves to even). An unknown key is ignored. A value that cannot be
// converted raises TypeMismatch or Overflow and leaves the setting unchanged.
void SetParamValue(const QString &key, const QVariant &value);

// True when path exists and carries every attribute bit of mask: 1 read-only,
// 2 hidden, 4 system, 16 directory, 32 archive (every regular file). Mask 0 is
// the existence test. Never raises.
bool IsFileAttr(const QString &path, qint32 mask);

// The settings file's full path, and the text SaveParamFile writes.
QString paramFilePath();
QByteArray paramFileBytes();

// Resets every setting to its start-up default (as LoadParamFile does first).
void setParamDefaults();

// The product name that names the settings and table definitions files.
QString productName();

} // namespace norva
