// What the settings file tests share: the failure an operation raised, and
// code tables that differ from seed to seed.
#pragma once

#include <zantoquiller/exceptions.h>
#include <zantoquiller/types.h>

#include <QString>

#include <functional>
#include <random>

namespace ZantoTest {

struct Failure
{
    QString type;
    QString message;
    QString reason;
};

// What operation raised; type "<none>" when it raised nothing.
inline Failure failureOf(const std::function<void()> &operation)
{
    try {
        operation();
    } catch (const Zanto::EInOutError &error) {
        return {QStringLiteral("EInOutError"), error.Message(), error.Reason()};
    } catch (const Zanto::EConvertError &error) {
        return {QStringLiteral("EConvertError"), error.Message(), {}};
    } catch (const Zanto::Exception &error) {
        return {QStringLiteral("Exception"), error.Message(), {}};
    }
    return {QStringLiteral("<none>"), {}, {}};
}

inline Zanto::TCodeTable randomTable(unsigned seed)
{
    std::mt19937 random(seed);
    Zanto::TCodeTable table;
    for (Zanto::TPrinterCodes &record : table) {
        for (int field = 0; field < Zanto::TPrinterCodes::FieldCount; ++field) {
            // Every third code empty, the others of any length and bytes.
            QByteArray code(random() % 3 == 0 ? 0 : static_cast<qsizetype>(random() % 21), '\0');
            for (char &byte : code)
                byte = static_cast<char>(random() % 256);
            record.field(field).assign(code);
        }
    }
    return table;
}

} // namespace ZantoTest
