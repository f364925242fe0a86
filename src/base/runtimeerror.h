#pragma once

#include <QString>
#include <exception>

// A run-time failure of the program, carrying the classic error number and its
// Japanese description. Routines that trap errors show "description number".
class RuntimeError : public std::exception {
public:
    enum Number {
        InvalidCall = 5,
        Overflow = 6,
        OutOfMemory = 7,
        DivisionByZero = 11,
        TypeMismatch = 13,
        BadFileName = 52,
        FileNotFound = 53,
        DeviceIo = 57,
        DiskFull = 61,
        InputPastEnd = 62,
        PermissionDenied = 70,
        PathFileAccess = 75,
        PathNotFound = 76,
        InvalidPicture = 481,
    };

    explicit RuntimeError(int number);
    RuntimeError(int number, QString description);
    // With a detail: what the device or the print system gave as the reason,
    // shown under the message.
    RuntimeError(int number, QString description, QString detail);

    int number() const { return m_number; }
    const QString& description() const { return m_description; }
    const QString& detail() const { return m_detail; }
    // "description number": the text of the standard error message box.
    QString message() const;
    const char* what() const noexcept override;

    static QString describe(int number);

private:
    int m_number;
    QString m_description;
    QString m_detail;
    QByteArray m_what;
};
