-- ui/fw/timeline-transition-events.lua
--
-- The timeline's transition between events. Its "fader" covers the virtual screen; the
-- timeline makes it opaque for a fade to black and clear for a dynamic transition.

function OnLoad ()
end

function OnClick (name)
end
