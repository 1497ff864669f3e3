#include "core/common/filewatch.h"

#include <QFileInfo>

namespace norva {

namespace {

bool sameState(const fileops::FileStatus &a, const fileops::FileStatus &b)
{
    return a.type == b.type && a.id == b.id && a.size == b.size && a.modified == b.modified
           && a.readable == b.readable;
}

} // namespace

FileWatch::FileWatch(const QString &path, QObject *parent)
    : QObject(parent)
    , m_path(path)
    , m_seen(fileops::status(path))
{
    m_quiet.setSingleShot(true);
    m_quiet.setInterval(DefaultQuietTime);
    m_poll.setInterval(DefaultPollInterval);
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, &FileWatch::noticed);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, &FileWatch::noticed);
    connect(&m_quiet, &QTimer::timeout, this, &FileWatch::quietEnded);
    connect(&m_poll, &QTimer::timeout, this, &FileWatch::poll);
    const QString folder = QFileInfo(path).absolutePath();
    if (QFileInfo(folder).isDir())
        m_watcher.addPath(folder);
    watchFile();
    m_poll.start();
}

void FileWatch::watchFile()
{
    if (!m_watcher.files().contains(m_path) && QFileInfo(m_path).isFile())
        m_watcher.addPath(m_path);
}

void FileWatch::noticed()
{
    // A file replaced by a rename, or removed, is no longer watched.
    watchFile();
    m_seen = fileops::status(m_path);
    if (m_quiet.isActive()) {
        m_pending = true;
        return;
    }
    m_quiet.start();
    emit changed();
}

void FileWatch::quietEnded()
{
    if (!m_pending)
        return;
    m_pending = false;
    m_quiet.start();
    emit changed();
}

void FileWatch::poll()
{
    const fileops::FileStatus now = fileops::status(m_path);
    if (!sameState(now, m_seen))
        noticed();
}

} // namespace norva
