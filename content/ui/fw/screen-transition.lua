UIEvents ("ui/fw/screen-transition-events.lua");

CreateComp ("Rectangle", "cover");
SetProperty ("scale_type", "STRETCH_TO_COVER_SCREEN");
SetProperty ("color.a", 1);
SetProperty ("rectangle.rect_width", "1024");
SetProperty ("rectangle.rect_height", "768");

