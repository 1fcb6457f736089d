// Reading the program directory's XML databases for the check's rules.
#include "dbread.h"

#include <ctype.h>

namespace contentcheck {

DMDatabase *Db(const Tree &tree, const std::string &rel)
{
    return tree.Has(rel) ? dman().GetDatabase(Engine::Name(rel).c_str()) : nullptr;
}

DMArray *Array(const Tree &tree, const std::string &rel, const char *array)
{
    DMDatabase *db = Db(tree, rel);
    return db ? db->GetArray(array) : nullptr;
}

std::string Value(const DMNode *node, const char *key)
{
    const char *v = node ? node->GetValue(key) : nullptr;
    return v ? v : "";
}

std::string Id(const DMNode *node)
{
    return node && node->id ? node->id : "";
}

std::vector<std::string> Tokens(const std::string &list, char sep)
{
    std::vector<std::string> out;
    size_t at = 0;
    while (at <= list.size()) {
        size_t end = list.find(sep, at);
        if (end == std::string::npos)
            end = list.size();
        if (end > at)
            out.push_back(list.substr(at, end - at));
        at = end + 1;
    }
    return out;
}

std::string Lower(std::string s)
{
    for (char &c : s)
        c = (char)tolower((unsigned char)c);
    return s;
}

}  // namespace contentcheck
