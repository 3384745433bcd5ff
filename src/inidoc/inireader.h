#ifndef LIBCOMMONCFG_INIDOC_INIREADER_H
#define LIBCOMMONCFG_INIDOC_INIREADER_H

#include <LibCommonCfg/inifile.h>

namespace LibCommonCfg {
namespace internal {

/// Reads device text into `map` through the document's conversion list
/// (`convs`, the document's own), as IniFile::myIniReadFunc reads it from a
/// device holding the same bytes.
void readIniBytes(IniFile& doc, QList<IniFile::MappingEntry>& convs, const QByteArray& data,
                  QMap<QString, QVariant>& map);

} // namespace internal
} // namespace LibCommonCfg

#endif // LIBCOMMONCFG_INIDOC_INIREADER_H
