#pragma once

#include "pim/PimApplication.h"
#include "pim/PimResult.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

// Reads contacts from vCard text (versions 2.1, 3.0 and 4.0): folded lines, escaped characters,
// quoted-printable values and charset parameters. A card that is not closed before the next one
// begins or the text ends is damaged and skipped; the others are read.
//
// The fields: FirstName and LastName from N; FileAs from a file-as property (such as
// X-EVOLUTION-FILE-AS), else "LastName, FirstName" (or the one of them that is there), else FN,
// else the company; CompanyName and Department from the first two parts of ORG;
// BusinessTelephoneNumber from the first TEL marked work that is no fax, else the first TEL
// that is no fax, else the first TEL.
class VCardReader {
public:
    using Contact = PimApplication::ContactFields;
    struct Outcome {
        QList<Contact> contacts;
        qint32 skipped = 0; // damaged cards
        qint32 files = 0;   // files read
    };

    // The contacts of one text holding any number of cards, in their order.
    static Outcome parse(const QByteArray& data);
    // Larger files are not read: no address book comes near it.
    static constexpr qint64 MaxFileSize = 64 * 1024 * 1024;

    // The contacts of every .vcf file of `folder` (one card per file, as the vdir layout of
    // calendar sync programs has it, or many): files in name order, cards in file order. A file
    // that cannot be read, is no regular file or is larger than MaxFileSize is skipped like a
    // damaged card. Fails when the folder cannot be listed.
    static PimValue<Outcome> readFolder(const QString& folder);
    // The content of one contacts file, or nothing when it must not or cannot be read.
    static std::optional<QByteArray> readContactsFile(const QString& path);

    // Writes `count` invented contacts into `folder` (created if needed) as .vcf files of up
    // to 100 cards each, mixing the three versions; for benchmarks and demonstrations.
    static PimResult writeSampleContacts(const QString& folder, qint32 count);
};
