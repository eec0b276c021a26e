// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A whole-phone backup as one file: UTF-8 JSON with a format name, a
// version, one object per section and a SHA-256 of the rest at its end.
// docs/backup-format.md describes every field; docs/backup.schema.json
// checks them.
//
// Opening is strict about what the file is (its size, JSON, the format,
// the version) and lenient about what it holds: a section that does not
// read is named and left out, and a checksum that does not match is
// reported, so whatever still reads can be looked at. Restoring from such a
// file is the caller's decision, after asking.
#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace Backup {

inline constexpr char FormatName[] = "mirvak-backup";
constexpr int Version = 1;
// A backup of a T28-class phone is well under a megabyte; anything far
// beyond it is no backup and is not read into memory.
constexpr qint64 MaxFileSize = 16 * 1024 * 1024;

enum class Section { Phone, Sim, PhoneBook, Messages, Melodies, Settings, Books };

// The sections in the order a backup reads them.
QList<Section> allSections();
// "phone", "sim", "phone_book", "messages", "melodies", "settings", "books".
QString key(Section section);
std::optional<Section> sectionNamed(const QString &name);
// "sim,phone_book": the named sections in backup order; nothing, with the
// reason in *error, for an unknown name or an empty list.
std::optional<QList<Section>> sectionList(const QString &names, QString *error);

// Every section object carries "status": "ok", or "failed" and "reason".
QJsonObject failedSection(const QString &reason);
bool sectionOk(const QJsonObject &section);

struct Document {
    QJsonObject sections; // key(section) -> section object
    bool has(Section s) const { return sections.contains(key(s)); }
    QJsonObject section(Section s) const { return sections.value(key(s)).toObject(); }
    void set(Section s, const QJsonObject &object) { sections.insert(key(s), object); }
    // The sections present, in backup order.
    QList<Section> present() const;
};

// The file's bytes: indented JSON, "sha256" its last member.
QByteArray serialize(const Document &document);
// The SHA-256, in lower-case hex, of the file's object without "sha256",
// written compact with its keys sorted.
QByteArray checksum(const QJsonObject &withoutChecksum);

struct Opened {
    Document document;      // the sections that read
    bool checksumOk = true;
    QStringList unreadable; // "messages: entry 3 has no location"
    // What the user must hear before anything is restored; empty when the
    // file is whole.
    QString warning() const;
};
// Nothing, with a sentence in *error, for a file that is not a backup Mirvak
// can read: not JSON, cut short, another format, a newer version.
std::optional<Opened> parse(const QByteArray &bytes, QString *error);
// The file read and parsed; a file too large to be a backup is refused
// before it is read.
std::optional<Opened> open(const QString &path, QString *error);

// Empty when the section object is sound, else what is wrong with it.
QString checkSection(Section section, const QJsonObject &object);

} // namespace Backup
