#pragma once

// The classes of the toolbar, menu and docking framework, for headers that only pass them on.
class TTBCustomItem;
class TTBItem;
class TTBGroupItem;
class TTBSeparatorItem;
class TTBControlItem;
class TTBRootItem;
class TTBCustomItemActionLink;
class TTBCustomImageList;
class TTBImageList;
class TTBItemViewer;
class TTBView;
class TTBPopupView;
class TTBPopupWindow;
class TTBModalHandler;
class TTBViewAccObject;
class TTBItemViewerAccObject;
class ETBItemError;
class ITBItems;
struct TTBPopupPositionRec;
