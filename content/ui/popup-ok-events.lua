-- ui/popup-ok.lua's events: a message over the screen below; "Ok" closes it. The sender
-- sends "text" with the message before pushing it.

function OnLoad ()
end

function OnScreenMessage (message, value)
	if message == "text" then
		SetProperty ("Text:textbox.text", value or "");
	end
end

function OnClick (name)
	if name == "Ok" then
		PopScreen ();
	end
end
