#pragma once

#include <QString>

// The folder that holds the executable, ending in '/'. Set when the program starts, before
// any window exists; every data path is AppPath + "img/" + a path inside the data folder.
// Tests may point it at a folder of their own.
extern QString AppPath;

// AppPath + "img/" + relative, for example DataPath("txt/ufs.txt").
QString DataPath(const QString &relative);
