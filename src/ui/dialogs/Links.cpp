#include "ui/dialogs/Links.h"

#include "launch/OpenLink.h"
#include "ui/controls/CStaticLink.h"

void OpenAddressOnClick(CStaticLink& link) {
    QObject::connect(&link, &CStaticLink::clicked, &link, [&link] {
        if (!link.Url().empty()) {
            OpenLink(link.Url(), 0);
        }
    });
}
