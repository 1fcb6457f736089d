// Reading the program directory's XML databases for the check's rules: the database or
// array of a tree file (null when the tree lacks it), a node's value and id as text,
// comma lists and lower case.
#ifndef BUILDTOOLS_CONTENTCHECK_DBREAD_H
#define BUILDTOOLS_CONTENTCHECK_DBREAD_H

#include "contentcheck.h"

#include "app/services/dataman.h"

#include <string>
#include <vector>

namespace contentcheck {

DMDatabase *Db(const Tree &tree, const std::string &rel);
DMArray *Array(const Tree &tree, const std::string &rel, const char *array);
// "" for a missing node or key.
std::string Value(const DMNode *node, const char *key);
std::string Id(const DMNode *node);
// The non-empty words between separators.
std::vector<std::string> Tokens(const std::string &list, char sep = ',');
std::string Lower(std::string s);

}  // namespace contentcheck

#endif
