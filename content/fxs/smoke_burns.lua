-- fxs/smoke_burns.lua
-- A column of dark smoke with embers over a burning bunker or tent. The game tunes
-- both bursts' "age_to_die", "scale", "speed" and "move_angle" at run time (the tent fire, the wind).

-- smoke
FXParm ("num_parts", 1);
FXParm ("bitmap", "fxs/smoke.png");
FXParm ("color_r", 0.15, 0.25);
FXParm ("color_g", 0.15, 0.22);
FXParm ("color_b", 0.15, 0.2);
FXParm ("alpha_graph", 0, 0);
FXParm ("alpha_graph", 0.15, 0.7);
FXParm ("alpha_graph", 1, 0);
FXParm ("scale", 1, 1.4);
FXParm ("scale_graph", 0, 0.4);
FXParm ("scale_graph", 1, 1.6);
FXParm ("move_angle", -90);
FXParm ("move_angle_spread", 20);
FXParm ("speed", 8, 14);
FXParm ("area_radius", 0, 6);
FXParm ("area_angle_spread", 360);
FXParm ("angle_spread", 360);
FXParm ("angle_rps", -40, 40);
FXParm ("age_to_die", 2.5, 3.5);

AddFX ();
-- embers
FXParm ("num_parts", 1);
FXParm ("bitmap", "fxs/ember.png");
FXParm ("blend_mode", "ADDITIVE");
FXParm ("color_r", 1, 1);
FXParm ("color_g", 0.4, 0.7);
FXParm ("color_b", 0.1, 0.2);
FXParm ("move_angle", -90);
FXParm ("move_angle_spread", 40);
FXParm ("speed", 15, 30);
FXParm ("mass", -1, -0.5);
FXParm ("scale", 0.4, 0.7);
FXParm ("alpha_graph", 0, 1);
FXParm ("alpha_graph", 0.6, 1);
FXParm ("alpha_graph", 1, 0);
FXParm ("age_to_die", 0.8, 1.4);
