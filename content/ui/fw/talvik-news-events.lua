-- ui/fw/talvik-news-events.lua
--
-- The news screen: a dark veil over the screen below, the news image in the middle (the
-- screen flies it in, fits it to the news area and fades it with the screen) and the
-- close button under it, which the screen fades in once the image has settled and
-- labels with the item's skip text. The screen's code handles both taps.

function OnLoad ()
end

function OnClick (name)
end
