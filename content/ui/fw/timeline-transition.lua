UIEvents ("ui/fw/timeline-transition-events.lua");

CreateComp ("Rectangle", "fader");
SetProperty ("scale_type", "STRETCH_TO_COVER_SCREEN");
SetProperty ("color.a", 1);
SetProperty ("rectangle.rect_width", "1024");
SetProperty ("rectangle.rect_height", "768");

