#ifndef COMMONCFG_KEYREADING_H
#define COMMONCFG_KEYREADING_H

#include <QString>

namespace commoncfg {

// Where one of the device's readers takes a key from.
struct KeyPlace {
    int line = -1; // index into the file's lines; -1: the reader has no such key
    QString group; // group and key name as they stand in the file
    QString name;
    QString value;     // the text the reader takes as the value
    int nameBegin = 0; // the bytes of the key's name and of that value in the file
    int nameEnd = 0;
    int valueBegin = 0;
    int valueEnd = 0;

    bool found() const { return line >= 0; }
};

// A key as the device reads it: where an INI file's two readers both take
// it from the same line with the same value (a flat file's one reader takes
// it whole), or why they do not, so that the tool does not guess.
struct KeyReading {
    enum State { Absent, Agreed, Disputed };
    State state = Absent;
    KeyPlace place;  // Agreed: where the key stands
    QString problem; // Disputed: which lines the readers take, and why they differ
};

} // namespace commoncfg

#endif
