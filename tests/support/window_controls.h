#pragma once

#include <QString>
#include <QWidget>
#include <QtGlobal>

// The control of class T whose objectName is name (the windows name each control after its
// member) among window's descendants, so that tests click, type and read what a user sees
// without reaching into the window's members. A missing control stops the test run with a
// message naming it.
template <class T>
T &Control(QWidget &window, const char *name)
{
    T *control = window.findChild<T *>(QString::fromLatin1(name));
    if (!control)
        qFatal("%s has no %s named \"%s\"", window.metaObject()->className(),
               T::staticMetaObject.className(), name);
    return *control;
}
