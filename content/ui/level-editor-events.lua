-- ui/level-editor-events.lua
--
-- The level editor's bottom panel: clicks above its top place the current decal or
-- obstacle; "Save" and "Load" write and read the terrain export, "Switch" changes
-- between decals and obstacles, "New" clears what was placed. The screen's code acts.

function OnLoad ()
end

function OnClick (name)
	if name == "Back" then
		PopScreen ();
	end
end
