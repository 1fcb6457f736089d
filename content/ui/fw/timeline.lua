UIEvents ("ui/fw/timeline-events.lua");

CreateComp ("Rectangle", "backdrop");
SetProperty ("scale_type", "STRETCH_TO_COVER_SCREEN");
SetProperty ("color.r", 0.07);
SetProperty ("color.g", 0.08);
SetProperty ("color.b", 0.06);
SetProperty ("color.a", 1);
SetProperty ("rectangle.rect_width", "1024");
SetProperty ("rectangle.rect_height", "768");

CreateComp ("Textbox", "Title");
SetProperty ("inherit", "TextTitle");
SetProperty ("position", 0.5, 0.04);
SetProperty ("textbox.text", "Timeline");

CreateComp ("NinePatch", "list");
SetProperty ("inherit", "PanelDark");
SetProperty ("position", 0.04, 0.14);
SetProperty ("ninepatch.client_size", 560, 560);

CreateComp ("Listbox", "Events");
SetProperty ("inherit", "ListBoxPlain");
SetProperty ("position", 0.06, 0.17);
SetProperty ("listbox.content_size", 540, 540);

CreateComp ("Textbox", "QuestName");
SetProperty ("inherit", "TextHeading");
SetProperty ("localize", 0);
SetProperty ("position", 0.82, 0.2);

CreateComp ("Textbox", "QuestDesc");
SetProperty ("inherit", "TextSmall");
SetProperty ("localize", 0);
SetProperty ("position", 0.68, 0.3);
SetProperty ("textbox.textbox_width", "290");

CreateComp ("Button", "Play");
SetProperty ("inherit", "ButtonMedium");
SetProperty ("position", 0.82, 0.78);
SetProperty ("button.text", "Play");

CreateComp ("Button", "Back");
SetProperty ("inherit", "ButtonBack");
SetProperty ("position", 0.07, 0.92);
