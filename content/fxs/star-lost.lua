-- fxs/star-lost.lua
-- A star of the battle HUD shattering: shards tumbling away over a flash.

-- shards
FXParm ("num_parts", 8);
FXParm ("bitmap", "fxs/star.png");
FXParm ("move_angle_spread", 360);
FXParm ("speed", 60, 140);
FXParm ("mass", 8, 12);
FXParm ("dampening_factor", 0.5, 0.7);
FXParm ("scale", 0.25, 0.4);
FXParm ("angle_spread", 360);
FXParm ("angle_rps", -360, 360);
FXParm ("age_to_die", 0.5, 0.9);

AddFX ();
-- flash
FXParm ("num_parts", 1);
FXParm ("bitmap", "fxs/flash.png");
FXParm ("blend_mode", "ADDITIVE");
FXParm ("color_r", 1, 1);
FXParm ("color_g", 0.8, 0.9);
FXParm ("color_b", 0.25, 0.4);
FXParm ("scale", 0.8, 1);
FXParm ("scale_graph", 0, 0.6);
FXParm ("scale_graph", 1, 1.3);
FXParm ("angle_spread", 360);
FXParm ("age_to_die", 0.2, 0.25);
