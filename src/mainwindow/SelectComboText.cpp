#include "mainwindow/SelectComboText.h"

#include <QComboBox>
#include <QString>

void selectComboText(QComboBox& combo, const QString& text) {
    combo.setCurrentIndex(-1);
    for (int index = 0; index < combo.count(); ++index) {
        if (combo.itemText(index) == text)
            combo.setCurrentIndex(index);
    }
}
