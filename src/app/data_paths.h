#pragma once

#include <QString>

// Where the program keeps its two files, Indices.txt and Calcul.rtf.
//
// A copy of the program whose folder may be written (a portable copy, the
// build folder) keeps them beside the executable. An installed copy keeps
// them in the user's own data folder instead, as the user may not write
// into the installation (and must not, even when allowed to, as the
// superuser is): the executable's folder is read-only, or the data folder
// installed with the program lies at its place beside it. That user folder
// starts from the index file installed with the program.
struct DataPaths {
    QString folder;         // folder of Indices.txt and Calcul.rtf
    QString shippedIndices; // installed index file to start from; empty when none

    QString IndicesPath() const;
    QString ReportPath() const;
};

// The read-only data folder installed with the program (the series' index
// files, the default Indices.txt), found from the executable's folder so
// that an installation can be moved to another prefix as a whole.
QString ShippedDataFolder(const QString &executableFolder);

// Chooses the folder of the two files for an executable in
// `executableFolder`; `userDataFolder` is the user's data folder for the
// program, used when the executable's folder is not to be written. Without
// a user folder (no home folder known) the files stay beside the executable.
// A relative user folder comes from a relative XDG_DATA_HOME, which the XDG
// rules say to ignore: the folder is then taken under ~/.local/share.
DataPaths ChooseDataPaths(const QString &executableFolder, const QString &userDataFolder);

// Makes the folder ready before the index file is first read: creates it
// when missing and, when it holds no Indices.txt yet, writes the installed
// one there, so that a new user starts from the shipped indices without
// being told that a file was lost. A file already there is never touched.
// Failures stay silent: reading and writing the index file report them.
void PrepareDataFolder(const DataPaths &paths);
