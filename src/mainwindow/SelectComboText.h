#pragma once

class QComboBox;
class QString;

// Shows a stored text in a combo box: selects the entry whose text equals `text` exactly (case
// and blanks count; of several equal entries the last), or no entry when none equals it.
void selectComboText(QComboBox& combo, const QString& text);
