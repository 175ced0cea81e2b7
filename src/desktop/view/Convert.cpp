#include "desktop/view/Convert.h"

#include <QApplication>
#include <QPalette>

#include "common/Encoding.h"

namespace desktop {

QColor colour(ui::Colour c) {
    const unsigned long v = static_cast<unsigned long>(c);
    if ((v & 0xFF000000UL) == 0x80000000UL) {
        const QPalette p = QApplication::palette();
        switch (v & 0xFF) {
            case 0x04: return p.color(QPalette::Window);        // menu bar
            case 0x05: return p.color(QPalette::Base);          // window background
            case 0x07: return p.color(QPalette::WindowText);    // menu text
            case 0x08: return p.color(QPalette::Text);          // window text
            case 0x0D: return p.color(QPalette::Highlight);
            case 0x0E: return p.color(QPalette::HighlightedText);
            case 0x0F: return p.color(QPalette::Button);        // button face
            case 0x10: return p.color(QPalette::Dark);          // button shadow
            case 0x11: return p.color(QPalette::Disabled, QPalette::Text);
            case 0x12: return p.color(QPalette::ButtonText);
            case 0x14: return p.color(QPalette::Light);
            case 0x15: return p.color(QPalette::Shadow);
            case 0x16: return p.color(QPalette::Midlight);
            case 0x17: return p.color(QPalette::ToolTipText);
            case 0x18: return p.color(QPalette::ToolTipBase);
            default: return p.color(QPalette::Window);
        }
    }
    return QColor(static_cast<int>(v & 0xFF), static_cast<int>((v >> 8) & 0xFF),
                  static_cast<int>((v >> 16) & 0xFF));
}

QFont font(const ui::Font& f) {
    QFont q = QApplication::font();
    // The classic bitmap face has no counterpart here; Arial's metrics (or
    // the metric-compatible face fontconfig puts in its place) come closest,
    // so captions fit the places the windows give them.
    const std::string name = f.Name.empty() || f.Name == "MS Sans Serif" ? "Arial" : f.Name;
    q.setFamilies({qs(name), q.family()});
    q.setPixelSize(std::max(1, static_cast<int>(f.Size * 96.0 / 72.0 + 0.5)));
    q.setBold(f.Bold);
    q.setItalic(f.Italic);
    q.setUnderline(f.Underline);
    return q;
}

namespace {
// The model's text as code points, which is how it counts positions.
std::u32string codePoints(const std::string& utf8) { return qs(utf8).toStdU32String(); }
}  // namespace

QString displayText(const std::string& utf8) {
    QString s = qs(utf8);
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    s.replace(QChar('\r'), QChar('\n'));
    return s;
}

// A CR directly before an LF has no place of its own in the widget.
static bool swallowed(const std::u32string& t, std::size_t i) {
    return t[i] == U'\r' && i + 1 < t.size() && t[i + 1] == U'\n';
}

// Characters outside the BMP take two places in a QString.
static int width(char32_t c) { return c > 0xFFFF ? 2 : 1; }

int widgetPosition(const std::string& utf8, int modelPos) {
    const std::u32string t = codePoints(utf8);
    int w = 0;
    for (std::size_t i = 0; i < t.size() && static_cast<int>(i) < modelPos; ++i)
        if (!swallowed(t, i)) w += width(t[i]);
    return w;
}

int modelPosition(const std::string& utf8, int widgetPos) {
    const std::u32string t = codePoints(utf8);
    int w = 0;
    std::size_t i = 0;
    for (; i < t.size() && w < widgetPos; ++i)
        if (!swallowed(t, i)) w += width(t[i]);
    return static_cast<int>(i);
}

namespace {

QStringList patternsOf(const QString& part) {
    QStringList patterns;
    for (const QString& p : part.split(QChar(';'), Qt::SkipEmptyParts)) patterns << p.trimmed();
    return patterns;
}

}  // namespace

QStringList filterPatterns(const std::string& vbFilter, int index) {
    const QStringList parts = qs(vbFilter).split(QChar('|'));
    const int pairs = static_cast<int>(parts.size() / 2);
    if (pairs == 0) return {};
    if (index < 1 || index > pairs) index = 1;
    return patternsOf(parts[2 * (index - 1) + 1]);
}

QStringList nameFilters(const std::string& vbFilter) {
    const QStringList parts = qs(vbFilter).split(QChar('|'));
    QStringList result;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        const QStringList patterns = patternsOf(parts[i + 1]);
        const QString description = parts[i].trimmed();
        const QString listed = QStringLiteral("(") + patterns.join(QChar(' ')) + QChar(')');
        // "Alle Dateien (*.CFG)" names its patterns already: Qt reads them
        // from the parentheses, so they are not shown twice.
        const QString named =
            QStringLiteral("(") + patterns.join(QChar(';')) + QChar(')');
        if (description.endsWith(listed) || description.endsWith(named))
            result << description.left(description.size() - listed.size()) + listed;
        else
            result << description + QChar(' ') + listed;
    }
    return result;
}

int ansiCode(QChar c) {
    const std::string ansi = common::utf8ToAnsi(ss(QString(c)));
    if (ansi.size() != 1) return -1;
    const int code = static_cast<unsigned char>(ansi[0]);
    if (code == '?' && c != QChar('?')) return -1;  // the code page lacks it
    return code;
}

}  // namespace desktop
