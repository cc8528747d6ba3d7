#pragma once

#include <QListWidget>
#include <QPushButton>
#include <QTest>

// Window tests reach controls by their object names; a missing control ends the test run.
template <typename T = QWidget> T* control(QWidget& window, const QString& name) {
    T* found = window.findChild<T*>(name);
    if (!found)
        qFatal("no control %s", qPrintable(name));
    return found;
}

inline void click(QWidget& window, const char* button) {
    QTest::mouseClick(control<QPushButton>(window, QLatin1String(button)), Qt::LeftButton);
}

// The check boxes of a list, top to bottom: "x" checked, "-" not.
inline QString checkMarks(QWidget& window, const char* list) {
    QString marks;
    const auto* widget = control<QListWidget>(window, QLatin1String(list));
    for (int row = 0; row < widget->count(); ++row)
        marks += widget->item(row)->checkState() == Qt::Checked ? u'x' : u'-';
    return marks;
}
