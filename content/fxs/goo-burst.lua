-- fxs/goo-burst.lua
-- A splitter bursts: goo splattered on the ground and a green puff.

-- goo that stays on the ground
FXParm ("num_parts", 12);
FXParm ("bitmap", "fxs/goo-drop.png");
FXParm ("color_r", 0.4, 0.55);
FXParm ("color_g", 0.75, 0.9);
FXParm ("color_b", 0.2, 0.3);
FXParm ("move_angle_spread", 360);
FXParm ("speed", 50, 130);
FXParm ("dampening_factor", 0.02, 0.06);
FXParm ("scale", 0.5, 1);
FXParm ("angle_spread", 360);
FXParm ("alpha_graph", 0, 1);
FXParm ("alpha_graph", 1, 0.8);
FXParm ("death_func", "GroundDecal");
FXParm ("age_to_die", 0.3, 0.5);

AddFX ();
-- puff
FXParm ("num_parts", 2);
FXParm ("bitmap", "fxs/gas.png");
FXParm ("color_r", 0.4, 0.5);
FXParm ("color_g", 0.8, 0.9);
FXParm ("color_b", 0.3, 0.35);
FXParm ("alpha", 0.4, 0.5);
FXParm ("move_angle_spread", 360);
FXParm ("speed", 5, 15);
FXParm ("scale", 0.6, 0.8);
FXParm ("scale_graph", 0, 0.6);
FXParm ("scale_graph", 1, 1.4);
FXParm ("angle_spread", 360);
FXParm ("age_to_die", 0.6, 0.9);
