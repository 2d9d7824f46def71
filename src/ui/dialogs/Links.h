#pragma once

class CStaticLink;

// Makes every click on link open its address, when it has one, in the user's browser; the
// link stays the dialog's control and its click still reaches the dialog as a command.
void OpenAddressOnClick(CStaticLink& link);
