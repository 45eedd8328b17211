#include "StandinCommandLine.h"

#include <QRegularExpression>

namespace {

// "720x1280" as a size, or an invalid QSize when it is not one.
QSize ParseWindowSize(const QString& text)
{
    static const QRegularExpression pattern(QStringLiteral("^([0-9]{1,9})x([0-9]{1,9})$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return QSize();
    const int width = match.captured(1).toInt();
    const int height = match.captured(2).toInt();
    if (width < 1 || height < 1 || width > MaxWindowSide || height > MaxWindowSide)
        return QSize();
    return QSize(width, height);
}

} // namespace

StandinCommandLine ParseStandinCommandLine(const QStringList& arguments)
{
    StandinCommandLine result;
    result.Arguments = arguments;
    result.WindowSize = DefaultWindowSize;
    for (qsizetype i = 0; i + 1 < arguments.size(); ++i) {
        if (arguments[i] != QLatin1String("-windowsize"))
            continue;
        const QSize size = ParseWindowSize(arguments[i + 1]);
        if (size.isValid()) {
            result.WindowSize = size;
            result.WindowSizeGiven = true;
        }
    }
    return result;
}
