-- Window and modules of the benchmark scenes: 800x600, no vsync, nothing not drawn.
function love.conf(t)
    t.identity = "orvex-bench"
    t.window.title = "love bench"
    t.window.width = 800
    t.window.height = 600
    t.window.vsync = 0
    t.window.msaa = 0
    t.modules.audio = false
    t.modules.sound = false
    t.modules.joystick = false
    t.modules.physics = false
    t.modules.touch = false
    t.modules.video = false
end
