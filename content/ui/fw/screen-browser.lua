UIEvents ("ui/fw/screen-browser-events.lua");

CreateComp ("NinePatch", "frame");
SetProperty ("inherit", "PanelDark");
SetProperty ("position", 0.5, 0.5);
SetProperty ("align", "CENTER");
SetProperty ("ninepatch.client_size", 520, 660);

CreateComp ("Textbox", "Title");
SetProperty ("inherit", "TextTitle");
SetProperty ("position", 0.5, 0.07);
SetProperty ("textbox.text", "Screens");

CreateComp ("Listbox", "Screens");
SetProperty ("inherit", "ListBoxPlain");
SetProperty ("position", 0.32, 0.15);
SetProperty ("listbox.content_size", 360, 500);

CreateComp ("Textbox", "Hint");
SetProperty ("inherit", "TextSmall");
SetProperty ("position", 0.5, 0.83);
SetProperty ("align", "HCENTER");
SetProperty ("textbox.textbox_align", "HCENTER");
SetProperty ("textbox.text", "Pick a screen and view it. A and Z step, Escape comes back here.");

CreateComp ("Button", "Edit");
SetProperty ("inherit", "ButtonMedium");
SetProperty ("position", 0.5, 0.92);
SetProperty ("button.text", "View");
