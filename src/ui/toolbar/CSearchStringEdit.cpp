#include "ui/toolbar/CSearchStringEdit.h"

#include <QKeyEvent>
#include <QUrl>

#include "ResourceIds.h"
#include "app/Resources.h"
#include "config/GamesConfig.h"
#include "launch/OpenLink.h"
#include "ui/toolbar/SearchService.h"

CSearchStringEdit::CSearchStringEdit(GamesConfig& games, QWidget* parent)
    : CToolbarEdit(parent), games_(games) {}

std::string CSearchStringEdit::SearchAddress(const QString& text,
                                             const std::string& affiliateCode) {
    std::string address = Resources::LoadString(Res::IDS_SEARCH_PREFIX);
    address += QUrl::toPercentEncoding(text).toStdString();
    if (!affiliateCode.empty()) {
        address += "&affiliate=" + affiliateCode;
    }
    return address;
}

void CSearchStringEdit::RunSearch() {
    const QString query = text();
    if (query.isEmpty()) {
        OpenNetworkLink(kSearchHomePage, 0);
        return;
    }
    OpenNetworkLink(SearchAddress(query, games_.GetText("NuvexaCode")), 0);
}

void CSearchStringEdit::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        RunSearch();
        return;
    }
    CToolbarEdit::keyPressEvent(event);
}
