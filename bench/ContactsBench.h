#pragma once

#include <QString>

// Reading the contacts folder: `count` sample contacts written as vCard files into `folder`,
// then read back as the editor's contact list reads them.
class ContactsBench {
public:
    ContactsBench(const QString& folder, int count);
    void run();

private:
    QString m_folder;
    int m_count;
};
