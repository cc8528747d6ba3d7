#pragma once

#include <QString>

// Reading the contacts folder: `count` sample contacts written as vCard files into a folder
// under `folder`, then read back as the editor's contact list reads them (through the contacts
// object when the outlook subsystem is part of the build, else through the vCard reader).
class ContactsBench {
public:
    ContactsBench(const QString& folder, int count);
    void run();
    void runCraftedFiles();

private:
    QString m_folder;
    int m_count;
};
