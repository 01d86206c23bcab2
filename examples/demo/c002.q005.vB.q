<div class="question">
<p class="number">Вопрос 5</p>
<p>Каким прибором измеряют силу тока? Выберите в списке.</p>
<select name="q5" size="4">
<option value="v">вольтметр</option>
<option value="a">амперметр</option>
<option value="o">омметр</option>
<option value="w">ваттметр</option>
</select>
</div>
<!--END-->
q5=a
