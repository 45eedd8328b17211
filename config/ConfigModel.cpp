#include "ConfigModel.h"

QString SectionHeader(SectionIndex section)
{
    switch (section) {
    case SectionIndex::Profile:
        return QStringLiteral("[Profile]");
    case SectionIndex::Resolution:
        return QStringLiteral("[Resolution]");
    case SectionIndex::PixelDensity:
        return QStringLiteral("[PixelDensity]");
    case SectionIndex::Input:
        return QStringLiteral("[Input]");
    }
    return {};
}

QString SectionTitle(const QString& header, bool lowerCase)
{
    QString title;
    title.reserve(header.size() + 2);
    bool previousWasLower = false;
    for (const QChar c : header) {
        if (c == u'[' || c == u']')
            continue;
        const bool isUpper = c.category() == QChar::Letter_Uppercase;
        if (previousWasLower && isUpper)
            title += u' ';
        previousWasLower = c.category() == QChar::Letter_Lowercase;
        title += (lowerCase && isUpper) ? c.toLower() : c;
    }
    return title;
}
