-- ui/obstacle-editor-events.lua
--
-- The obstacle editor: the outline drawn over the obstacle's bitmap in "GridLimits",
-- centred on "GridCenter"; "Reset" starts the outline again, "Reload" reads the type
-- back, "Save" writes it to the developer edits. The screen's code acts.

function OnLoad ()
end

function OnClick (name)
	if name == "Back" then
		PopScreen ();
	end
end
