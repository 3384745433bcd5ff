#ifndef COMMONCFG_SECTIONDOC_H
#define COMMONCFG_SECTIONDOC_H

#include <QByteArray>
#include <QString>
#include <QVector>

namespace commoncfg {

// What the library's section reader (CIniFile) makes of some bytes, copied
// out of its chains: groups (or unnamed comment lines before the first
// group) with their keys and comment lines, in file order.
struct SectionDocument {
    struct Item {
        bool isKey = false;
        QByteArray name;
        QByteArray value;
        QByteArray comment;

        bool operator==(const Item& other) const
        {
            return isKey == other.isKey && name == other.name && value == other.value &&
                   comment == other.comment;
        }
    };
    struct Section {
        bool named = false;
        QByteArray name;
        QByteArray comment;
        QVector<Item> items;

        bool operator==(const Section& other) const
        {
            return named == other.named && name == other.name && comment == other.comment &&
                   items == other.items;
        }
    };
    QVector<Section> sections;
    QString error; // not empty when the bytes could not be handed to the reader
};

// The reader takes a file name, not bytes: the bytes reach it through an
// anonymous in-memory file, so that nothing is written to disk.
SectionDocument readSections(const QByteArray& bytes);
// Reads the file of that name.
SectionDocument readSectionsFromFile(const QString& fileName);

} // namespace commoncfg

#endif
