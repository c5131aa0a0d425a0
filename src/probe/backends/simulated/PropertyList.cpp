#include "probe/backends/simulated/PropertyList.h"

#include <QXmlStreamReader>

#include <limits>

namespace kw::probe {

using namespace Qt::StringLiterals;

namespace {

struct Problem {
    QString what;
};

class Reader {
public:
    explicit Reader(const QByteArray& bytes) : m_xml(bytes) {}

    PropertyValue document()
    {
        while (!m_xml.atEnd()) {
            m_xml.readNext();
            if (m_xml.isStartElement()) {
                if (m_xml.name() != u"plist")
                    fail(u"the document is not a property list (it starts with <%1>)"_s.arg(m_xml.name()));
                const PropertyValue value = nextValue(1);
                end();
                return value;
            }
        }
        check();
        fail(u"the document holds no property list"_s);
    }

private:
    [[noreturn]] void fail(const QString& what) { throw Problem{what}; }

    // After the one value: </plist>, then nothing but white space and comments to the end.
    void end()
    {
        bool closed = false;
        while (!m_xml.atEnd()) {
            m_xml.readNext();
            check();
            if (m_xml.isEndElement() && !closed && m_xml.name() == u"plist")
                closed = true;
            else if (m_xml.isStartElement())
                fail(closed ? u"<%1> follows </plist>"_s.arg(m_xml.name())
                            : u"<plist> holds a second value, <%1>; it holds one"_s.arg(m_xml.name()));
            else if (m_xml.isCharacters() && !m_xml.isWhitespace())
                fail(u"text follows the property list's value"_s);
        }
        check();
        if (!closed)
            fail(u"the document ends before </plist>"_s);
    }

    void check()
    {
        if (m_xml.hasError())
            fail(m_xml.errorString());
    }

    // The next element's value, skipping whitespace and comments.
    PropertyValue nextValue(int depth)
    {
        while (!m_xml.atEnd()) {
            m_xml.readNext();
            if (m_xml.isStartElement())
                return value(depth);
            if (m_xml.isEndElement())
                fail(u"a value is missing before </%1>"_s.arg(m_xml.name()));
        }
        check();
        fail(u"the document ends early"_s);
    }

    PropertyValue value(int depth)
    {
        if (depth > maxPropertyListDepth)
            fail(u"values are nested more than %1 levels deep"_s.arg(maxPropertyListDepth));
        const QString name = m_xml.name().toString();
        if (name == u"dict")
            return dictionary(depth);
        if (name == u"array")
            return array(depth);
        if (name == u"true" || name == u"false") {
            const QString inside = m_xml.readElementText(QXmlStreamReader::ErrorOnUnexpectedElement);
            check();
            if (!inside.trimmed().isEmpty())
                fail(u"<%1> holds '%2'; it is written <%1/>"_s.arg(name, inside.trimmed()));
            return name == u"true";
        }
        const QString text = m_xml.readElementText(QXmlStreamReader::ErrorOnUnexpectedElement);
        check();
        if (name == u"string")
            return text;
        if (name == u"integer")
            return integer(text.trimmed());
        if (name == u"real") {
            bool ok = false;
            const double d = text.trimmed().toDouble(&ok);
            if (!ok)
                fail(u"'%1' is not a real number"_s.arg(text));
            return d;
        }
        if (name == u"data") {
            QByteArray compact = text.toLatin1();
            compact.replace(' ', "").replace('\n', "").replace('\t', "").replace('\r', "");
            const auto decoded = QByteArray::fromBase64Encoding(compact, QByteArray::AbortOnBase64DecodingErrors);
            if (!decoded)
                fail(u"a <data> value is not base64"_s);
            return *decoded;
        }
        if (name == u"date") {
            const QDateTime date = QDateTime::fromString(text.trimmed(), Qt::ISODate);
            if (!date.isValid())
                fail(u"'%1' is not a date"_s.arg(text));
            return date;
        }
        fail(u"<%1> is not a property-list value"_s.arg(name));
    }

    PropertyValue integer(const QString& text)
    {
        bool ok = false;
        const qlonglong value = text.toLongLong(&ok);
        if (ok)
            return std::int64_t(value);
        // Read as anything else, such a value would change without a word (2^64-1 would become -1).
        if (text.toULongLong(&ok), ok || (text.startsWith(u'-') && (text.mid(1).toULongLong(&ok), ok)))
            fail(u"'%1' does not fit in 64 bits; integers must lie from -9223372036854775808 to 9223372036854775807"_s.arg(text));
        fail(u"'%1' is not an integer"_s.arg(text));
    }

    PropertyValue dictionary(int depth)
    {
        PropertyDictionary dict;
        while (!m_xml.atEnd()) {
            m_xml.readNext();
            if (m_xml.isEndElement())
                return dict;
            if (!m_xml.isStartElement())
                continue;
            if (m_xml.name() != u"key")
                fail(u"a <dict> holds <%1> where a <key> belongs"_s.arg(m_xml.name()));
            const QString key = m_xml.readElementText();
            check();
            // Only one of two equal keys could be kept; which one would be a guess.
            if (dict.find(key))
                fail(u"the key '%1' appears twice in one <dict>"_s.arg(key));
            dict.insert(key, nextValue(depth + 1));
        }
        check();
        fail(u"the document ends inside a <dict>"_s);
    }

    PropertyValue array(int depth)
    {
        PropertyArray items;
        while (!m_xml.atEnd()) {
            m_xml.readNext();
            if (m_xml.isEndElement())
                return items;
            if (m_xml.isStartElement())
                items.push_back(value(depth + 1));
        }
        check();
        fail(u"the document ends inside an <array>"_s);
    }

public:
    QString where() const { return u"line %1, column %2"_s.arg(m_xml.lineNumber()).arg(m_xml.columnNumber()); }

private:
    QXmlStreamReader m_xml;
};

} // namespace

PropertyListResult readXmlPropertyList(const QByteArray& bytes)
{
    if (bytes.startsWith("bplist"))
        return {std::nullopt, u"a binary property list; write it as XML (ioreg -a writes XML; "
                              u"plutil -convert xml1 FILE converts one)"_s};
    Reader reader(bytes);
    try {
        return {reader.document(), {}};
    } catch (const Problem& p) {
        return {std::nullopt, reader.where() + u": "_s + p.what};
    }
}

} // namespace kw::probe
