#pragma once
// A catalogue of applications that can list what a person picks from: the installed
// applications shown in menus, by name. Catalogues that cannot list theirs lack it, and a
// chooser of application files stands in.
#include <vector>

#include "platform/AppCatalog.h"

namespace orvane::platform {

class AppList {
public:
    virtual ~AppList() = default;
    virtual std::vector<CatalogApp> applications() = 0;
};

}  // namespace orvane::platform
