#include "platform/FailureText.h"

#include <cerrno>
#include <cstring>

namespace korvi {

FailureKind FailureKindOfErrno(int error) {
    switch (error) {
        case ENOENT:
        case ENXIO:
            return FailureKind::NotFound;
        case ENODEV:
            return FailureKind::Removed;
        case EBUSY:
        case ETXTBSY:
        case EAGAIN:
            return FailureKind::Busy;
        case EACCES:
        case EPERM:
            return FailureKind::NoPermission;
        case ENOSPC:
        case EDQUOT:
        case EFBIG:
            return FailureKind::DiskFull;
        case EROFS:
            return FailureKind::ReadOnly;
        case ENOTTY:
            return FailureKind::NotAPort;
        case EIO:
            return FailureKind::IoError;
        default:
            return FailureKind::Other;
    }
}

FailureKind FailureKindOfSystemText(const QString& systemText) {
    static const int kKnown[] = {ENOENT, ENXIO,  ENODEV, EBUSY, ETXTBSY, EAGAIN, EACCES,
                                 EPERM,  ENOSPC, EDQUOT, EFBIG, EROFS,   ENOTTY, EIO};
    const QString text = systemText.trimmed();
    for (const int error : kKnown) {
        if (text.compare(QString::fromLocal8Bit(std::strerror(error)), Qt::CaseInsensitive) == 0) {
            return FailureKindOfErrno(error);
        }
    }
    return FailureKind::Other;
}

QString FailureReason(FailureKind kind) {
    switch (kind) {
        case FailureKind::NotFound:
            return QStringLiteral("見つかりません");
        case FailureKind::Removed:
            return QStringLiteral("取り外されました");
        case FailureKind::Busy:
            return QStringLiteral("他のプログラムが使用中です");
        case FailureKind::NoPermission:
            return QStringLiteral("使う権限がありません");
        case FailureKind::DiskFull:
            return QStringLiteral("ディスクに空きがありません");
        case FailureKind::ReadOnly:
            return QStringLiteral("書き込みできない場所です");
        case FailureKind::NotAPort:
            return QStringLiteral("シリアルポートではありません");
        case FailureKind::IoError:
            return QStringLiteral("読み書きに失敗しました");
        case FailureKind::Other:
            break;
    }
    return QStringLiteral("原因のわからないエラーです");
}

QString FailureText(const QString& subject, FailureKind kind, const QString& systemText) {
    const QString reason = FailureReason(kind);
    const QString text = subject.isEmpty() ? reason : subject + QStringLiteral(": ") + reason;
    return systemText.trimmed().isEmpty()
               ? text + QStringLiteral("。")
               : QStringLiteral("%1 (%2)。").arg(text, systemText.trimmed());
}

}  // namespace korvi
