#pragma once
// Settings kept in table INI: shared by every workstation, some values per
// workstation and operator. Nothing is cached: every read is a query.
#include <QString>
#include <QStringList>

class TDbIni
{
public:
    // A negative operator means the signed-in operator.
    TDbIni(const QString& fileName, int op);

    QString FileName;
    int Operator;

    QString ReadString(const QString& section, const QString& ident, const QString& def) const;
    void WriteString(const QString& section, const QString& ident, const QString& value);
    int ReadInteger(const QString& section, const QString& ident, int def) const;
    void WriteInteger(const QString& section, const QString& ident, int value);
    bool ReadBool(const QString& section, const QString& ident, bool def) const;
    void WriteBool(const QString& section, const QString& ident, bool value);
    double ReadFloat(const QString& section, const QString& ident, double def) const;
    void WriteFloat(const QString& section, const QString& ident, double value);
    void ReadSection(const QString& section, QStringList& strings) const;
    void ReadSections(QStringList& strings) const;
    // name=value lines; strings is not cleared first.
    void ReadSectionValues(const QString& section, QStringList& strings) const;
    void EraseSection(const QString& section);
    void DeleteKey(const QString& section, const QString& ident);
    void UpdateFile() {}
};

// Scope 0: global ("app", operator 0); otherwise this workstation (store
// HostId) and that operator, falling back to the workstation's operator-0 row.
bool ReadIniBool(int scope, const QString& key, bool def);
void WriteIniBool(int scope, const QString& key, bool value);
int ReadIniInteger(int scope, const QString& key, int def);
void WriteIniInteger(int scope, const QString& key, int value);
QString ReadIniString(int scope, const QString& key, const QString& def);
void WriteIniString(int scope, const QString& key, const QString& value);

// Parses an ini integer: decimal or "0x" hexadecimal; false when it is no number.
bool IniTextToInt(const QString& text, int& out);

// The database's identifier "LID_<number>_", the prefix of its named locks:
// global setting UnIdBazy, made once when it is still empty.
extern QString DatabaseUniqueId;
// Reads (or makes and stores) the identifier into DatabaseUniqueId and returns it.
QString LoadDatabaseUniqueId();

// The workstation id "xx-xx-xx-xx-xx-xx".
extern QString HostId;
QString ReadHostIdFromFolder(const QString& folder);
QString GetHostId();
