#pragma once

#include "core/common/fileops.h"

#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QTimer>

namespace norva {

// Tells when a file may have changed, at no cost while nothing happens: the
// file and its folder are watched (so that a file replaced by a rename, or one
// that comes back, is seen too), and a slow look at the file's size, time and
// identity stands in for file systems that send no events. The first change is
// told at once; further ones within the quiet time are told together at its
// end.
class FileWatch : public QObject
{
    Q_OBJECT

public:
    static constexpr int DefaultQuietTime = 200;     // milliseconds
    static constexpr int DefaultPollInterval = 3000; // milliseconds

    explicit FileWatch(const QString &path, QObject *parent = nullptr);

    QString path() const { return m_path; }
    void setQuietTime(int ms) { m_quiet.setInterval(ms); }
    void setPollInterval(int ms) { m_poll.setInterval(ms); }

signals:
    void changed();

private:
    void noticed();
    void quietEnded();
    void poll();
    // Watches the file (again) when it is there and not watched.
    void watchFile();

    QString m_path;
    QFileSystemWatcher m_watcher;
    QTimer m_quiet;
    QTimer m_poll;
    bool m_pending = false;
    fileops::FileStatus m_seen;
};

} // namespace norva
