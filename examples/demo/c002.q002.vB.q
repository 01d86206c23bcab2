<div class="question">
<p class="number">Вопрос 2</p>
<p>Сила тока в резисторе 0,5 А, его сопротивление 20 Ом. Чему равно напряжение на резисторе?</p>
<label><input type="radio" name="q2" value="a"> 40 В</label><br>
<label><input type="radio" name="q2" value="b"> 0,025 В</label><br>
<label><input type="radio" name="q2" value="c"> 10 В</label><br>
<label><input type="radio" name="q2" value="d"> 20,5 В</label>
</div>
<!--END-->
q2=c
