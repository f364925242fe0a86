#include "runtimeerror.h"

RuntimeError::RuntimeError(int number) : RuntimeError(number, describe(number)) {}

RuntimeError::RuntimeError(int number, QString description)
    : m_number(number), m_description(std::move(description)), m_what(message().toUtf8()) {}

RuntimeError::RuntimeError(int number, QString description, QString detail)
    : RuntimeError(number, std::move(description)) {
    m_detail = std::move(detail);
}

QString RuntimeError::message() const {
    return m_description + QLatin1Char(' ') + QString::number(m_number);
}

const char* RuntimeError::what() const noexcept {
    return m_what.constData();
}

QString RuntimeError::describe(int number) {
    switch (number) {
    case InvalidCall:
        return QStringLiteral("プロシージャの呼び出し、または引数が不正です。");
    case Overflow:
        return QStringLiteral("オーバーフローしました。");
    case OutOfMemory:
        return QStringLiteral("メモリが不足しています。");
    case DivisionByZero:
        return QStringLiteral("0 で除算しました。");
    case TypeMismatch:
        return QStringLiteral("型が一致しません。");
    case BadFileName:
        return QStringLiteral("ファイル名または番号が不正です。");
    case FileNotFound:
        return QStringLiteral("ファイルが見つかりません。");
    case DeviceIo:
        return QStringLiteral("デバイス I/O エラーです。");
    case DiskFull:
        return QStringLiteral("ディスクの空き容量が不足しています。");
    case InputPastEnd:
        return QStringLiteral("ファイルにこれ以上データがありません。");
    case PermissionDenied:
        return QStringLiteral("書き込みできません。");
    case PathFileAccess:
        return QStringLiteral("パス名またはファイル名が無効です。");
    case PathNotFound:
        return QStringLiteral("パスが見つかりません。");
    case InvalidPicture:
        return QStringLiteral("ピクチャが不正です。");
    default:
        return QStringLiteral("アプリケーション定義またはオブジェクト定義のエラーです。");
    }
}
