-- ui/fw/screen-transition-events.lua
--
-- The plain screen switch: one black rectangle over the whole virtual screen that fades in
-- with the switch screen (the switch draws it at its fade phase), hides the change of
-- screens below it and fades out over the target. The switch takes no input of its own.

function OnLoad ()
end

function OnClick (name)
end
