// Text and XML rules: text files are 7-bit ASCII without a byte-order mark; database
// files start with the declaration and <root>, hold nodes as empty elements with
// double-quoted, escaped values within the reader's limits, load with the application's
// own reader and loader without a complaint, have no duplicate ids and no blank after a
// comma in token lists; every name they give resolves.
#include "contentcheck.h"

#include "app/services/dataman.h"

#include <string.h>

namespace contentcheck {

namespace {

const char kDeclaration[] = "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>";
const int kMaxValue = 511;
const int kMaxBlock = 4095;
const int kMaxAttributes = 255;

bool IsTextFile(const std::string &rel)
{
    return EndsWith(rel, ".xml") || EndsWith(rel, ".lua") || EndsWith(rel, ".txt");
}

int LineAt(const std::string &text, size_t pos)
{
    int line = 1;
    for (size_t i = 0; i < pos && i < text.size(); i++)
        line += text[i] == '\n';
    return line;
}

bool Blank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// Keys whose values are token lists: a blank after a comma becomes part of the next token.
bool TokenListKey(const std::string &key)
{
    return key == "flags" || key == "tags" || key == "features" || key == "requires" || key == "required_features";
}

// Keys whose values name an asset whatever they look like.
bool NameKey(const std::string &key)
{
    static const char *const kKeys[] = {"bm_move", "bm_move2", "bm_die", "icon", "image", "pic", "level",
                                        "obstacle", "bitmap", "emitter_fx", "sound", "font", "fx"};
    for (const char *k : kKeys)
        if (key == k)
            return true;
    return StartsWith(key, "fx_") || StartsWith(key, "snd_");
}

// The markup as written: returns false (after reporting) when the file breaks a rule the
// reader would misread.
bool ScanMarkup(const std::string &rel, const std::string &text, Report *report)
{
    int before = report->Count();
    size_t eol = text.find('\n');
    std::string first = text.substr(0, eol);
    if (!first.empty() && first.back() == '\r')
        first.pop_back();
    if (first != kDeclaration)
        report->Add(rel, Format("the first line is not the declaration %s", kDeclaration));
    bool seen_root = false;
    size_t pos = eol == std::string::npos ? text.size() : eol;
    while (pos < text.size()) {
        size_t lt = text.find('<', pos);
        if (lt == std::string::npos)
            break;
        if (text.compare(lt, 4, "<!--") == 0) {
            size_t end = text.find("-->", lt + 4);
            if (end == std::string::npos) {
                report->Add(rel, Format("line %d: the comment is not closed", LineAt(text, lt)));
                break;
            }
            pos = end + 3;
            continue;
        }
        // One element: name, then attributes name="value".
        size_t p = lt + 1;
        bool closing = p < text.size() && text[p] == '/';
        if (closing)
            p++;
        size_t name_start = p;
        while (p < text.size() && !Blank(text[p]) && text[p] != '>' && text[p] != '/')
            p++;
        std::string name = text.substr(name_start, p - name_start);
        int line = LineAt(text, lt);
        if (!seen_root && !closing) {
            if (name != "root")
                report->Add(rel, Format("line %d: <root> does not follow the declaration", line));
            seen_root = true;
        }
        int attributes = 0;
        bool empty_element = false, broken = false;
        std::string id;
        for (;;) {
            while (p < text.size() && Blank(text[p]))
                p++;
            if (p >= text.size()) {
                report->Add(rel, Format("line %d: <%s> is not closed", line, name.c_str()));
                broken = true;
                break;
            }
            if (text[p] == '>')
                break;
            if (text.compare(p, 2, "/>") == 0) {
                empty_element = true;
                p++;
                break;
            }
            size_t key_start = p;
            while (p < text.size() && !Blank(text[p]) && text[p] != '=' && text[p] != '>' && text[p] != '/')
                p++;
            std::string key = text.substr(key_start, p - key_start);
            while (p < text.size() && Blank(text[p]))
                p++;
            if (key.empty() || p >= text.size() || text[p] != '=') {
                report->Add(rel, Format("line %d: attribute '%s' of <%s> has no '=\"value\"'", line, key.c_str(),
                                        name.c_str()));
                broken = true;
                break;
            }
            p++;
            while (p < text.size() && Blank(text[p]))
                p++;
            if (p >= text.size() || text[p] != '"') {
                report->Add(rel, Format("line %d: the value of '%s' is not in double quotes", line, key.c_str()));
                broken = true;
                break;
            }
            size_t value_start = ++p;
            while (p < text.size() && text[p] != '"') {
                if (text[p] == '\\' && p + 1 < text.size())
                    p++;
                p++;
            }
            if (p >= text.size()) {
                report->Add(rel, Format("line %d: the value of '%s' is not closed", line, key.c_str()));
                broken = true;
                break;
            }
            size_t length = p - value_start;
            p++;
            if (p < text.size() && !Blank(text[p]) && text[p] != '>' && text.compare(p, 2, "/>") != 0) {
                report->Add(rel, Format("line %d: unescaped double quote in the value of '%s' (write \\\")", line,
                                        key.c_str()));
                broken = true;
                break;
            }
            if ((int)length > kMaxValue)
                report->Add(rel, Format("line %d: the value of '%s' has %d characters (at most %d)", line,
                                        key.c_str(), (int)length, kMaxValue));
            attributes++;
        }
        if (broken)
            break;
        if ((int)(p + 1 - lt) > kMaxBlock)
            report->Add(rel, Format("line %d: <%s> is %d characters long (at most %d)", line, name.c_str(),
                                    (int)(p + 1 - lt), kMaxBlock));
        if (attributes > kMaxAttributes)
            report->Add(rel, Format("line %d: <%s> has %d attributes (at most %d)", line, name.c_str(), attributes,
                                    kMaxAttributes));
        if (name == "node" && !closing && !empty_element)
            report->Add(rel, Format("line %d: <node> with a closing tag reads as two nodes (write <node ... />)", line));
        pos = p + 1;
    }
    if (!seen_root)
        report->Add(rel, "no <root> after the declaration");
    return report->Count() == before;
}

void CheckDatabase(const Tree &tree, const std::string &rel, DMDatabase *db, Report *report)
{
    std::set<std::string> arrays;
    for (int a = 0; a < db->GetNumberOfArrays(); a++) {
        DMArray *array = db->GetArray(a);
        std::string aid = array->id ? array->id : "";
        if (!arrays.insert(aid).second)
            report->Add(rel, Format("duplicate array '%s'", aid.c_str()));
        std::set<std::string> ids;
        for (int n = 0; n < array->GetSize(); n++) {
            DMNode *node = array->GetNode(n);
            if (node->id && !ids.insert(node->id).second)
                report->Add(rel, Format("duplicate id '%s' in array '%s'", node->id, aid.c_str()));
            for (int p = 0; p < node->count; p++) {
                std::string key = node->pairs[p].key ? node->pairs[p].key : "";
                std::string value = node->pairs[p].value ? node->pairs[p].value : "";
                if (TokenListKey(key) && value.find(", ") != std::string::npos)
                    report->Add(rel, Format("blank after a comma in \"%s\" of node '%s' in array '%s'", key.c_str(),
                                            node->id ? node->id : "", aid.c_str()));
                // The shop's "level" is the roman numeral a replaced item shows, not a file.
                bool names = NameKey(key) && !(key == "level" && rel == "shop.xml");
                if (Tree::LooksLikeAsset(value) || (names && !value.empty()))
                    tree.CheckName(report, rel, value);
            }
        }
    }
}

}  // namespace

void CheckText(const Tree &tree, Report *report)
{
    for (const std::string &rel : tree.Files()) {
        if (!IsTextFile(rel))
            continue;
        std::string text;
        if (!ReadFile(tree.Native(rel), &text)) {
            report->Add(rel, "cannot be read");
            continue;
        }
        size_t start = 0;
        if (StartsWith(text, "\xEF\xBB\xBF")) {
            report->Add(rel, "starts with a byte-order mark");
            start = 3;
        }
        int line = 1;
        for (size_t i = start; i < text.size(); i++) {
            unsigned char c = (unsigned char)text[i];
            if (c == '\n') {
                line++;
                continue;
            }
            if (c == '\t' || (c >= 0x20 && c < 0x7f))
                continue;
            report->Add(rel, Format("line %d: byte 0x%02x is not printable ASCII", line, c));
            break;
        }
    }
}

void CheckXml(const Tree &tree, Engine *engine, Report *report)
{
    for (const std::string &rel : tree.Files()) {
        if (!EndsWith(rel, ".xml"))
            continue;
        std::string text;
        if (!ReadFile(tree.Native(rel), &text))
            continue;  // reported by CheckText
        if (StartsWith(text, "\xEF\xBB\xBF"))
            continue;  // the reader refuses it: reported by CheckText
        bool clean = ScanMarkup(rel, text, report);
        engine->TakeMessages();
        DMDatabase *db = dman().GetDatabase(Engine::Name(rel).c_str());
        std::vector<std::string> messages = engine->TakeMessages();
        if (clean && (db->HadParseError() || !messages.empty())) {
            // The markup looked right, yet the application's reader complained.
            std::string why = messages.empty() ? "malformed" : messages[0];
            if (StartsWith(why, "0 Arrays") || why.empty())
                why = "malformed";
            report->Add(rel, "the application's reader refuses it: " + why);
        }
        CheckDatabase(tree, rel, db, report);
    }
}

}  // namespace contentcheck
