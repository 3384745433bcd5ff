#include "sectiondoc.h"

#include <LibCommonCfg/cinifile.h>

#include <QFile>

#include <cerrno>
#include <cstring>
#include <sys/mman.h>
#include <unistd.h>

namespace commoncfg {

namespace {

QByteArray copyOf(const char* text)
{
    return text == nullptr ? QByteArray() : QByteArray(text);
}

SectionDocument copyOut(CIniFile& file)
{
    SectionDocument document;
    for (CSectList* sect = file.firstSect; sect != nullptr; sect = sect->next) {
        SectionDocument::Section section;
        section.named = sect->name != nullptr;
        section.name = copyOf(sect->name);
        section.comment = copyOf(sect->comment);
        for (CKeyList* key = sect->firstKey; key != nullptr; key = key->next) {
            SectionDocument::Item item;
            item.isKey = key->name != nullptr;
            item.name = copyOf(key->name);
            item.value = copyOf(key->value);
            item.comment = copyOf(key->comment);
            section.items.append(item);
        }
        document.sections.append(section);
    }
    return document;
}

} // namespace

SectionDocument readSectionsFromFile(const QString& fileName)
{
    CIniFile file;
    if (file.Read(QFile::encodeName(fileName).constData()) != 0) {
        SectionDocument failed;
        failed.error = QStringLiteral("the section reader cannot open the file");
        return failed;
    }
    return copyOut(file);
}

SectionDocument readSections(const QByteArray& bytes)
{
    SectionDocument failed;
    const int fd = ::memfd_create("commoncfg-read", MFD_CLOEXEC);
    if (fd < 0) {
        failed.error = QStringLiteral("cannot make an in-memory file: %1")
                           .arg(QString::fromLocal8Bit(std::strerror(errno)));
        return failed;
    }
    qint64 done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            ::close(fd);
            failed.error = QStringLiteral("cannot fill an in-memory file: %1")
                               .arg(QString::fromLocal8Bit(std::strerror(errno)));
            return failed;
        }
        done += written;
    }
    SectionDocument document = readSectionsFromFile(QStringLiteral("/proc/self/fd/%1").arg(fd));
    ::close(fd);
    return document;
}

} // namespace commoncfg
