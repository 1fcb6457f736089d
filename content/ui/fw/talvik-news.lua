UIEvents ("ui/fw/talvik-news-events.lua");

CreateComp ("Rectangle", "veil");
SetProperty ("scale_type", "STRETCH_TO_COVER_SCREEN");
SetProperty ("color.r", 0);
SetProperty ("color.g", 0);
SetProperty ("color.b", 0);
SetProperty ("color.a", 0.6);
SetProperty ("rectangle.rect_width", "1024");
SetProperty ("rectangle.rect_height", "768");

CreateComp ("Image", "NewsImage");
SetProperty ("interactive", 1);
SetProperty ("position", 0.5, 0.5);
SetProperty ("align", "CENTER");

CreateComp ("Button", "Close");
SetProperty ("position", 0.5, 0.93);
SetProperty ("align", "CENTER");
