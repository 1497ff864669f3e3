#pragma once

#include <QString>

namespace norva {

// The product name that names the settings and table definitions files and
// heads the settings file.
QString productName();

// Joins a folder and a file name: a separator only when the folder does not
// already end in one.
QString joinPath(const QString &folder, const QString &fileName);

// Where the program's files live. One place decides; nothing else builds
// these paths.
struct FileLocations
{
    // The folder of the running executable.
    QString programDir;
    // The settings file (norva.ini), read at start-up and written at exit.
    QString settingsFile;
    // The table definitions (norva.dat).
    QString tablesFile;
    // The score log the settings name until the user chooses one.
    QString defaultScoreFile;
    // The manual that Help > 説明 opens.
    QString manualFile;

    // Whether every file lives beside the executable.
    bool isPortable = true;
    // Set when $HOME named no folder: the one taken instead, which the user
    // is told about.
    QString chosenHome;

    // Every file beside the executable in folder dir.
    static FileLocations portable(const QString &dir);
    // An installed program in folder dir (the prefix's bin folder): the
    // table definitions from configHome/norva/ if the user put them there,
    // else from the prefix's data folder; the settings in configHome/norva/;
    // the default score log in home. Nothing in the prefix is written.
    static FileLocations installed(const QString &dir, const QString &configHome,
                                   const QString &home);
    // The locations of the running program: portable where the executable's
    // folder holds the table definitions (a build folder, a copied folder),
    // else installed with the user's folders ($XDG_CONFIG_HOME, $HOME).
    static FileLocations ofProgram();
};

// The running executable, and its folder.
QString executablePath();
QString executableDir();

// The user's folders that an installed program keeps its files in.
struct UserFolders
{
    QString home;
    QString configHome;
    // True when $HOME named no folder and home was chosen instead.
    bool homeChosen = false;
};

// From the values of HOME and XDG_CONFIG_HOME and the account's home in the
// system's user database: an empty or relative HOME is passed over for the
// account's home, else the temporary folder (never the root folder); a
// relative XDG_CONFIG_HOME is passed over for home/.config, as the XDG rules
// say.
UserFolders userFolders(const QString &homeVariable, const QString &configVariable,
                        const QString &accountHome);
// The same from this process's environment.
UserFolders userFolders();

} // namespace norva
