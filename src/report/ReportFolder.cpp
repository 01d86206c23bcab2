#include "ReportFolder.h"

#include "Localization.h"
#include "TextFormat.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace kelvo {

namespace {

// Numbered names after the first (-2, -3, ...) for runs started in the same second.
constexpr int MaxBaseNames = 1000;
// Base names one write takes when its files are replaced under it again and again.
constexpr int MaxReplacedWrites = 10;

const QByteArray TemporaryPrefix = ".kelvo-report-";

// Why the last call failed: a full disk in words a pupil understands, anything else as the
// system says it.
QString lastErrorReason()
{
    return FolderHandle::lastErrorWasNoRoom() ? Texts::ReportDiskFull : FolderHandle::lastError();
}

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

} // namespace

ReportFolder::ReportFolder(FolderHandle folder, const QString &path, unsigned permissions)
    : m_folder(std::move(folder))
    , m_path(path)
    , m_permissions(permissions)
{
}

std::optional<ReportFolder> ReportFolder::open(const QString &path, QString *error)
{
    const QFileInfo info(path);
    if (!info.isDir()) {
        setError(error, info.exists() ? Texts::ReportNotAFolder : Texts::ReportNoSuchFolder);
        return std::nullopt;
    }
    FolderHandle folder = FolderHandle::openForCreating(path);
    if (!folder.isOpen()) {
        setError(error, format(Texts::ReportCannotCreate, { lastErrorReason() }));
        return std::nullopt;
    }
    // Permissions alone do not tell (a read-only mount, root's rights): a real file is made.
    QByteArray probe;
    if (!folder.createTemporaryFile(TemporaryPrefix, 0600, &probe).isValid()) {
        setError(error, format(Texts::ReportCannotCreate, { lastErrorReason() }));
        return std::nullopt;
    }
    folder.removeFile(probe);
    // A set-group-ID folder gives its files the group its owner chose, the teacher's: that group
    // reads them. Nobody else does, whatever the umask.
    const unsigned permissions = folder.status().setGroupId ? 0640 : 0600;
    return ReportFolder(std::move(folder), info.absoluteFilePath(), permissions);
}

QString ReportFolder::baseName() const
{
    return m_baseName.isEmpty() ? QString() : QDir(m_path).filePath(m_baseName);
}

bool ReportFolder::isOwn(const OwnFile &file) const
{
    const EntryStatus status = m_folder.entryStatus(file.name);
    return status.kind == EntryKind::RegularFile && status.device == file.device && status.inode == file.inode;
}

void ReportFolder::removeIfOwn(const OwnFile &file) const
{
    if (isOwn(file))
        m_folder.removeFile(file.name);
}

bool ReportFolder::identify(OwnFile &file, FileDescriptor descriptor)
{
    if (!descriptor.isValid())
        return false; // errno still says why it was not created
    const std::optional<FileIdentity> identity = fileIdentity(descriptor.get());
    if (!identity)
        return false;
    file.file = std::move(descriptor);
    file.device = identity->device;
    file.inode = identity->inode;
    return true;
}

bool ReportFolder::reserveBaseName(const QString &fileStem, QString *error)
{
    m_baseName.clear();
    m_stem = fileStem;
    // Both names are created exclusively: a name that exists in any form (another run's file, a
    // link, a folder) is skipped, so that no write ever goes through an entry this run did not make.
    for (int attempt = 1; attempt < MaxBaseNames; ++attempt) {
        const QString base = attempt == 1 ? fileStem : fileStem + u'-' + QString::number(attempt);
        const QByteArray encoded = QFile::encodeName(base);
        OwnFile json;
        json.name = encoded + ".json";
        OwnFile pdf;
        pdf.name = encoded + ".pdf";
        if (!identify(json, m_folder.createNewFile(json.name, m_permissions))) {
            if (FolderHandle::lastErrorWasExisting())
                continue;
            setError(error, lastErrorReason());
            return false;
        }
        if (!identify(pdf, m_folder.createNewFile(pdf.name, m_permissions))) {
            const bool existing = FolderHandle::lastErrorWasExisting();
            const QString reason = lastErrorReason();
            removeIfOwn(json);
            if (existing)
                continue;
            setError(error, reason);
            return false;
        }
        m_json = std::move(json);
        m_pdf = std::move(pdf);
        m_baseName = base;
        return true;
    }
    setError(error, Texts::ReportNoFreeName);
    return false;
}

ReportFolder::Outcome ReportFolder::replace(OwnFile &file, const QByteArray &bytes, QString *error)
{
    // Written beside the file and renamed over it, so that a reader never sees half a file.
    QByteArray temporary;
    FileDescriptor out = m_folder.createTemporaryFile(TemporaryPrefix, m_permissions, &temporary);
    if (!out.isValid()) {
        setError(error, lastErrorReason());
        return Outcome::Failed;
    }
    OwnFile written;
    written.name = file.name;
    if (!writeAll(out.get(), bytes.constData(), bytes.size()) || !syncFile(out.get())
        || !identify(written, std::move(out))) {
        setError(error, lastErrorReason());
        out.close();
        m_folder.removeFile(temporary);
        return Outcome::Failed;
    }
    // Only what this run put there is replaced: a link, another file or nothing at the name means
    // that someone else has been at it, and their entry is left as it is.
    if (!isOwn(file)) {
        m_folder.removeFile(temporary);
        return Outcome::Replaced;
    }
    if (!m_folder.renameEntry(temporary, file.name)) {
        setError(error, lastErrorReason());
        m_folder.removeFile(temporary);
        return Outcome::Failed;
    }
    file = std::move(written);
    return Outcome::Written;
}

bool ReportFolder::write(const QString &fileStem, const QByteArray &json, const QByteArray &pdf, QString *error)
{
    for (int round = 0; round < MaxReplacedWrites; ++round) {
        if ((m_baseName.isEmpty() || fileStem != m_stem) && !reserveBaseName(fileStem, error))
            return false;
        Outcome outcome = replace(m_json, json, error);
        if (outcome == Outcome::Written)
            outcome = replace(m_pdf, pdf, error);
        if (outcome == Outcome::Written)
            return true;
        if (outcome == Outcome::Failed)
            return false;
        // The run's files were replaced: both are written afresh under a new name, and what is
        // left of this run under the old one goes.
        removeIfOwn(m_json);
        removeIfOwn(m_pdf);
        m_baseName.clear();
    }
    setError(error, Texts::ReportFilesReplaced);
    return false;
}

} // namespace kelvo
